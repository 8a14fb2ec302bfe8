#include "app/PdfStagesFactory.h"

#include "conversion/PdfConversionStages.h"
#include "platform/Pdftk.h"
#include "pagepdf/QpdfPageLibrary.h"

StagesFactory pdfStagesFactory(std::function<std::unique_ptr<Pdftk>()> makePdftk, QString tempParent,
                               std::chrono::seconds readerTimeout)
{
    return [makePdftk = std::move(makePdftk), tempParent = std::move(tempParent), readerTimeout](QWidget* owner) {
        std::unique_ptr<Pdftk> pdftk = makePdftk ? makePdftk() : std::make_unique<ProcessPdftk>();
        auto stages = std::make_unique<PdfConversionStages>(owner, std::move(pdftk),
                                                            std::make_unique<QpdfPageLibrary>(), tempParent);
        if (readerTimeout.count() > 0) {
            stages->setReaderTimeout(readerTimeout);
        }
        return stages;
    };
}
