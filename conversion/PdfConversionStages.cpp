#include "conversion/PdfConversionStages.h"

#include "conversion/InfoFile.h"
#include "conversion/Merging.h"
#include "conversion/PageCreation.h"
#include "conversion/Saving.h"
#include "imagereader/ImageReader.h"
#include "platform/PdfPageLibrary.h"
#include "platform/Pdftk.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <memory>

namespace {

// Runs work on a thread of its own while this thread keeps answering its events, and returns work's result.
// Decoding or encoding a large picture takes long enough to freeze the window otherwise.
template <typename Work> auto besideTheWindow(Work work) -> decltype(work())
{
    decltype(work()) result{};
    if (QCoreApplication::instance() == nullptr) {
        return work();
    }
    const std::unique_ptr<QThread> worker(QThread::create([&result, &work] { result = work(); }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    // The loop also ends when the application quits; the work is bounded, and its result is waited for.
    worker->wait();
    return result;
}

// The page library with the two long calls, drawing (which reads and encodes the picture) and writing the page,
// done beside the window. Everything else, reading the quality among it, stays on the window's thread.
class PageLibraryBesideTheWindow final : public PdfPageLibrary
{
public:
    explicit PageLibraryBesideTheWindow(PdfPageLibrary& library) : m_library(library) {}

    int CreateBox(QWidget* owner, int reserved) override { return m_library.CreateBox(owner, reserved); }
    int SetNumProp(int box, int id, int value) override { return m_library.SetNumProp(box, id, value); }
    int SetStrProp(int box, int id, const QString& text) override { return m_library.SetStrProp(box, id, text); }
    int BeginDoc(int box) override { return m_library.BeginDoc(box); }
    int StretchDrawFromFile(int box, int left, int top, int width, int height, const QString& imageFile) override
    {
        return besideTheWindow([&] { return m_library.StretchDrawFromFile(box, left, top, width, height, imageFile); });
    }
    int EndDoc(int box) override
    {
        return besideTheWindow([&] { return m_library.EndDoc(box); });
    }
    int FreeBox(int box) override { return m_library.FreeBox(box); }
    [[nodiscard]] QString GetErrorMsg() const override { return m_library.GetErrorMsg(); }

private:
    PdfPageLibrary& m_library;
};

} // namespace

PdfConversionStages::PdfConversionStages(QWidget* owner, std::unique_ptr<Pdftk> pdftk,
                                         std::unique_ptr<PdfPageLibrary> library, QString tempParent)
    : m_owner(owner), m_pdftk(std::move(pdftk)), m_library(std::move(library)),
      m_reader(std::make_unique<ImageReader>()), m_tempParent(std::move(tempParent))
{
}

// The helper ends with the run.
PdfConversionStages::~PdfConversionStages() = default;

void PdfConversionStages::setReaderTimeout(std::chrono::seconds timeout)
{
    m_reader->setTimeout(timeout);
}

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
    const Normaliser normalise = [this, &job](QString* error) {
        return normaliseImage(*m_reader, job.imagePath, job.bmpPath, error);
    };
    PageLibraryBesideTheWindow library(*m_library);
    return createPagePdf(library, job, normalise, quality);
}

StageResult PdfConversionStages::copyFirstPage()
{
    return copyFirstPageFile(m_workspace);
}

StageResult PdfConversionStages::join(int index)
{
    return joinPage(*m_pdftk, m_workspace, index);
}

StageResult PdfConversionStages::applyInfo(int count)
{
    return applyDocumentInfo(*m_pdftk, m_workspace, count);
}

StageResult PdfConversionStages::saveTo(const QString& destination)
{
    return saveDocument(m_workspace.finishedFile(), destination);
}

void PdfConversionStages::removeWorkspace()
{
    // Removing hundreds of freshly written page files can take a good part of a second.
    besideTheWindow([this] { return m_workspace.remove(); });
}

void PdfConversionStages::abort()
{
    m_reader->cancel();
    m_pdftk->abort();
}
