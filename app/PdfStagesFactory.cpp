#include "app/PdfStagesFactory.h"

#include "conversion/PdfConversionStages.h"
#include "platform/Pdftk.h"
#include "pagepdf/QpdfPageLibrary.h"

StagesFactory pdfStagesFactory(std::function<std::unique_ptr<Pdftk>()> makePdftk, QString tempParent)
{
    return [makePdftk = std::move(makePdftk), tempParent = std::move(tempParent)](QWidget* owner) {
        std::unique_ptr<Pdftk> pdftk = makePdftk ? makePdftk() : std::make_unique<ProcessPdftk>();
        return std::make_unique<PdfConversionStages>(owner, std::move(pdftk), std::make_unique<QpdfPageLibrary>(),
                                                     tempParent);
    };
}
