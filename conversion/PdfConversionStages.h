#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/Workspace.h"

#include <chrono>
#include <memory>

class ImageReader;
class Pdftk;
class PdfPageLibrary;
class QWidget;

// The real stages: a private workspace, normalisation in the image-reading helper (one helper for the whole run),
// our page-PDF library, pdftk, an atomic save.
class PdfConversionStages final : public ConversionStages
{
public:
    // tempParent: where the workspace is made; empty for the system's temporary folder.
    PdfConversionStages(QWidget* owner, std::unique_ptr<Pdftk> pdftk, std::unique_ptr<PdfPageLibrary> library,
                        QString tempParent = {});
    ~PdfConversionStages() override;

    StageResult checkTools() override;
    StageResult prepareWorkspace() override;
    StageResult writeInfo(const DocumentInfo& info) override;
    StageResult makePage(int index, const QString& imagePath, const std::function<int()>& quality) override;
    StageResult copyFirstPage() override;
    StageResult join(int index) override;
    StageResult applyInfo(int count) override;
    StageResult saveTo(const QString& destination) override;
    void removeWorkspace() override;
    void abort() override;

    // How long the helper may take over one image.
    void setReaderTimeout(std::chrono::seconds timeout);
    [[nodiscard]] const ImageReader& imageReader() const { return *m_reader; }

private:
    QWidget* m_owner; // the window, which outlives the run that holds these stages
    std::unique_ptr<Pdftk> m_pdftk;
    std::unique_ptr<PdfPageLibrary> m_library;
    std::unique_ptr<ImageReader> m_reader;
    QString m_tempParent;
    Workspace m_workspace;
};
