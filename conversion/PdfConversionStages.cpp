#include "conversion/PdfConversionStages.h"

#include "conversion/InfoFile.h"
#include "conversion/Merging.h"
#include "conversion/PageCreation.h"
#include "conversion/PageJoin.h"
#include "conversion/PageWorker.h"
#include "conversion/PdftkCheck.h"
#include "conversion/Saving.h"
#include "imagereader/ImageReader.h"
#include "imagereader/PageRead.h"
#include "imagereader/ReaderOutcome.h"
#include "platform/PdfPageLibrary.h"
#include "platform/Pdftk.h"

#include <memory>

namespace {

// The page library with the two long calls, drawing (which reads and encodes the picture) and writing the page,
// done beside the window. Everything else, reading the page controls among it, stays on the window's thread.
class PageLibraryBesideTheWindow final : public PdfPageLibrary
{
public:
    PageLibraryBesideTheWindow(PdfPageLibrary& library, PageWorker& worker) : m_library(library), m_worker(worker) {}

    int CreateBox(QWidget* owner, int reserved) override { return m_library.CreateBox(owner, reserved); }
    int SetNumProp(int box, int id, int value) override { return m_library.SetNumProp(box, id, value); }
    int SetStrProp(int box, int id, const QString& text) override { return m_library.SetStrProp(box, id, text); }
    int BeginDoc(int box) override { return m_library.BeginDoc(box); }
    int StretchDrawFromFile(int box, int left, int top, int width, int height, const QString& imageFile) override
    {
        return m_worker.run([&] { return m_library.StretchDrawFromFile(box, left, top, width, height, imageFile); });
    }
    int StretchDrawFromFileInColours(int box, int left, int top, int width, int height, const QString& imageFile,
                                     const QByteArray& iccProfile) override
    {
        return m_worker.run([&] {
            return m_library.StretchDrawFromFileInColours(box, left, top, width, height, imageFile, iccProfile);
        });
    }
    int DrawJpegData(int box, int left, int top, int width, int height, const QByteArray& jpeg,
                     const JpegFacts& facts) override
    {
        return m_library.DrawJpegData(box, left, top, width, height, jpeg, facts);
    }
    int EndDoc(int box) override
    {
        return m_worker.run([&] { return m_library.EndDoc(box); });
    }
    int FreeBox(int box) override { return m_library.FreeBox(box); }
    [[nodiscard]] QString GetErrorMsg() const override { return m_library.GetErrorMsg(); }

private:
    PdfPageLibrary& m_library;
    PageWorker& m_worker;
};

} // namespace

PdfConversionStages::PdfConversionStages(QWidget* owner, std::unique_ptr<Pdftk> pdftk,
                                         std::unique_ptr<PdfPageLibrary> library, std::shared_ptr<PdftkCheck> check,
                                         QString tempParent)
    : m_owner(owner), m_pdftk(std::move(pdftk)), m_check(std::move(check)), m_library(std::move(library)),
      m_reader(std::make_unique<ImageReader>()), m_worker(std::make_unique<PageWorker>()),
      m_pages(std::make_unique<PageRead>(*m_reader)), m_tempParent(std::move(tempParent))
{
    // The helper starts while the run checks its tools and makes its workspace. One that cannot start says why
    // at the first image.
    QString ignored;
    (void)m_reader->prepare(&ignored);
}

// The helper ends with the run.
PdfConversionStages::~PdfConversionStages() = default;

void PdfConversionStages::setReaderTimeout(std::chrono::seconds timeout)
{
    m_reader->setTimeout(timeout);
}

StageResult PdfConversionStages::checkTools()
{
    return m_check->result();
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

StageResult PdfConversionStages::makePage(int index, const ImageFile& image, const PageDescriptionSource& describe)
{
    if (index >= m_entries.size()) {
        m_entries.resize(index + 1);
    }
    m_entries[index] = image.shown;
    const PageJob job{m_owner, image.shown, m_workspace.pageFile(index)};
    const Normaliser normalise = [this, &image, index](bool keepOriginal, QString* error) {
        // pdftk's JVM starts while the pages are made.
        if (index == 0) {
            m_pdftk->prepare(keepOriginal);
        }
        std::optional<NormalisedImage> normalised = m_pages->read(image, keepOriginal, error);
        // The helper reads the next image while this page is encoded.
        if (normalised && m_next) {
            m_pages->readAhead(*m_next, keepOriginal);
        }
        m_next.reset();
        return normalised;
    };
    PageLibraryBesideTheWindow library(*m_library, *m_worker);
    const StageResult made = createPagePdf(library, job, normalise, describe);
    // A reader that answered this image twice, or answered before it was asked, is not to be trusted with its page.
    if (const std::optional<ReaderOutcome> unasked = m_reader->takeUnaskedReply(); made.ok && unasked) {
        return StageResult::failure(QStringLiteral("Image"), describeReadFailure(image.shown, *unasked));
    }
    return made;
}

void PdfConversionStages::readAhead(const ImageFile& next)
{
    m_next = next;
}

QList<int> PdfConversionStages::planJoin(int count)
{
    m_entries.resize(count);
    m_join = std::make_unique<PageJoin>(*m_pdftk, m_workspace, m_entries, m_joinBound);
    QList<int> pages;
    for (const JoinStep& step : m_join->steps()) {
        pages.append(step.pages());
    }
    return pages;
}

StageResult PdfConversionStages::join(int step)
{
    return m_join->run(step);
}

StageResult PdfConversionStages::applyInfo(int count)
{
    return applyDocumentInfo(*m_pdftk, m_workspace, count);
}

StageResult PdfConversionStages::saveTo(const QString& destination)
{
    // Writing a document of a thousand pages to its folder takes longer than the window may wait to answer.
    return m_worker->run([this, &destination] { return saveDocument(m_workspace.finishedFile(), destination); });
}

void PdfConversionStages::removeWorkspace()
{
    // Removing hundreds of freshly written page files can take a good part of a second.
    m_worker->run([this] { return m_workspace.remove(); });
}

void PdfConversionStages::abort()
{
    m_reader->cancel();
    m_check->stopWaiting();
    m_pdftk->abort();
}
