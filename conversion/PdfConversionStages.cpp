#include "conversion/PdfConversionStages.h"

#include "conversion/InfoFile.h"
#include "conversion/Merging.h"
#include "conversion/PageCreation.h"
#include "conversion/Saving.h"
#include "platform/PdfPageLibrary.h"
#include "platform/Pdftk.h"

#include <QCoreApplication>

PdfConversionStages::PdfConversionStages(QWidget* owner, std::unique_ptr<Pdftk> pdftk,
                                         std::unique_ptr<PdfPageLibrary> library, QString tempParent)
    : m_owner(owner), m_pdftk(std::move(pdftk)), m_library(std::move(library)), m_tempParent(std::move(tempParent))
{
}

PdfConversionStages::~PdfConversionStages() = default;

StageResult PdfConversionStages::checkTools()
{
    return checkPdftk(*m_pdftk);
}

StageResult PdfConversionStages::prepareWorkspace()
{
    QString error;
    if (!m_workspace.create(&error, m_tempParent)) {
        return StageResult::failure(QStringLiteral("Convert"), error);
    }
    return StageResult::success();
}

StageResult PdfConversionStages::writeInfo(const DocumentInfo& info)
{
    QString error;
    if (!writeInfoFile(m_workspace.infoFile(), info, &error)) {
        return StageResult::failure(QStringLiteral("Convert"), error);
    }
    return StageResult::success();
}

StageResult PdfConversionStages::makePage(int index, const QString& imagePath, const std::function<int()>& quality)
{
    const PageJob job{m_owner, imagePath, m_workspace.pageFile(index), m_workspace.bitmapFile()};
    const Normaliser normalise = [&job](QString* error) -> std::optional<NormalisedImage> {
        std::optional<NormalisedImage> image = normaliseImage(job.imagePath, job.bmpPath, error);
        QCoreApplication::processEvents();
        return image;
    };
    return createPagePdf(*m_library, job, normalise, quality);
}

StageResult PdfConversionStages::copyFirstPage()
{
    return ::copyFirstPage(m_workspace);
}

StageResult PdfConversionStages::join(int index)
{
    return joinPage(*m_pdftk, m_workspace, index);
}

StageResult PdfConversionStages::applyInfo(int count)
{
    return ::applyInfo(*m_pdftk, m_workspace, count);
}

StageResult PdfConversionStages::saveTo(const QString& destination)
{
    return saveDocument(m_workspace.finishedFile(), destination);
}

void PdfConversionStages::removeWorkspace()
{
    m_workspace.remove();
}

void PdfConversionStages::abort()
{
    m_pdftk->abort();
}
