#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/Workspace.h"

#include <memory>

class Pdftk;
class PdftkCheck;
class PdfPageLibrary;
class QWidget;

// The real stages: a private workspace, FreeImage normalisation, our page-PDF library, pdftk, an atomic save.
class PdfConversionStages final : public ConversionStages
{
public:
    // tempParent: where the workspace is made; empty for the system's temporary folder. check: the session's
    // answer on whether pdftk works, which checkTools() gives.
    PdfConversionStages(QWidget* owner, std::unique_ptr<Pdftk> pdftk, std::unique_ptr<PdfPageLibrary> library,
                        std::shared_ptr<PdftkCheck> check, QString tempParent = {});
    ~PdfConversionStages() override;

    StageResult checkTools() override;
    StageResult prepareWorkspace() override;
    StageResult writeInfo(const DocumentInfo& info) override;
    StageResult makePage(int index, const ImageFile& image, const std::function<int()>& quality) override;
    StageResult copyFirstPage() override;
    StageResult join(int index) override;
    StageResult applyInfo(int count) override;
    StageResult saveTo(const QString& destination) override;
    void removeWorkspace() override;
    void abort() override;

private:
    QWidget* m_owner; // the window, which outlives the run that holds these stages
    std::unique_ptr<Pdftk> m_pdftk;
    std::shared_ptr<PdftkCheck> m_check;
    std::unique_ptr<PdfPageLibrary> m_library;
    QString m_tempParent;
    Workspace m_workspace;
};
