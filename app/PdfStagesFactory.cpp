#include "app/PdfStagesFactory.h"

#include "conversion/PdfConversionStages.h"
#include "conversion/PdftkCheck.h"
#include "pagepdf/QpdfPageLibrary.h"
#include "pdftk/ProcessPdftk.h"
#include "pdftk/WarmPdftk.h"

StagesFactory pdfStagesFactory(std::function<std::unique_ptr<Pdftk>()> makePdftk, QString tempParent,
                               std::shared_ptr<PdftkCheck> check, std::chrono::seconds readerTimeout)
{
    if (!makePdftk) {
        makePdftk = [] { return std::make_unique<WarmPdftk>(std::make_unique<ProcessPdftk>()); };
    }
    if (!check) {
        // Asked now, in the background, so that the first run finds the answer waiting.
        check = std::make_shared<PdftkCheck>(makePdftk());
    }
    return [makePdftk = std::move(makePdftk), check = std::move(check), tempParent = std::move(tempParent),
            readerTimeout](QWidget* owner) {
        auto stages = std::make_unique<PdfConversionStages>(owner, makePdftk(), std::make_unique<QpdfPageLibrary>(),
                                                            check, tempParent);
        if (readerTimeout.count() > 0) {
            stages->setReaderTimeout(readerTimeout);
        }
        return stages;
    };
}
