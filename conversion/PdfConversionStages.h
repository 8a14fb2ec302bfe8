#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/JoinPlan.h"
#include "conversion/Workspace.h"

#include <chrono>
#include <memory>
#include <optional>

class ImageReader;
class PageJoin;
class PageWorker;
class PageRead;
class Pdftk;
class PdftkCheck;
class PdfPageLibrary;
class QWidget;

// The real stages: a private workspace, normalisation in the image-reading helper (one helper for the whole run),
// our page-PDF library, pdftk, an atomic save.
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
    StageResult makePage(int index, const ImageFile& image, const PageDescriptionSource& describe) override;
    void readAhead(const ImageFile& next) override;
    QList<int> planJoin(int count) override;
    StageResult join(int step) override;
    StageResult applyInfo(int count) override;
    StageResult saveTo(const QString& destination) override;
    void removeWorkspace() override;
    void abort() override;

    // How long the helper may take over one image.
    void setReaderTimeout(std::chrono::seconds timeout);
    [[nodiscard]] const ImageReader& imageReader() const { return *m_reader; }
    // How many files one pdftk call of the join may read.
    void setJoinBound(JoinBound bound) { m_joinBound = bound; }

private:
    QWidget* m_owner; // the window, which outlives the run that holds these stages
    std::unique_ptr<Pdftk> m_pdftk;
    std::shared_ptr<PdftkCheck> m_check;
    std::unique_ptr<PdfPageLibrary> m_library;
    std::unique_ptr<ImageReader> m_reader;
    std::unique_ptr<PageWorker> m_worker;
    std::unique_ptr<PageRead> m_pages;
    std::optional<ImageFile> m_next; // the entry to read ahead once the current one is read
    QString m_tempParent;
    Workspace m_workspace;
    JoinBound m_joinBound;
    std::unique_ptr<PageJoin> m_join;
    QStringList m_entries; // the entry each page was made from, as messages name it
};
