#include "conversion/PageCreation.h"

#include "platform/PdfPageLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <initializer_list>

namespace {

const QString kProductName = QStringLiteral("Pagewell");
const QString kPdfTitle = QStringLiteral("PDF");
const QString kImageTitle = QStringLiteral("Image");
// What the library is given to draw when a normaliser hands over sizes without a picture (only a test's does): a
// descriptor's name that never exists, so that drawing fails with the library's own message.
const QString kNoPicture = QStringLiteral("/proc/self/fd/-1");

// Releases the box on every way out.
class BoxGuard
{
public:
    BoxGuard(PdfPageLibrary& library, int box) : m_library(library), m_box(box) {}
    ~BoxGuard() { m_library.FreeBox(m_box); }
    BoxGuard(const BoxGuard&) = delete;
    BoxGuard& operator=(const BoxGuard&) = delete;

private:
    PdfPageLibrary& m_library;
    int m_box;
};

// Runs the steps in order and stops at the first that fails.
StageResult firstFailure(std::initializer_list<std::function<StageResult()>> steps)
{
    for (const auto& step : steps) {
        if (StageResult result = step(); !result.ok) {
            return result;
        }
    }
    return StageResult::success();
}

} // namespace

StageResult CheckPdfResult(const PdfPageLibrary& library, int result, const QString& imagePath)
{
    if (result != -1) {
        return StageResult::success();
    }
    QString reason = library.GetErrorMsg().trimmed();
    if (reason.isEmpty()) {
        reason = QCoreApplication::translate("PageCreation", "The PDF library gave no reason.");
    }
    return StageResult::failure(kPdfTitle,
                                QCoreApplication::translate("PageCreation", "The page for \"%1\" could not be made. %2")
                                    .arg(imagePath, reason));
}

StageResult createPagePdf(PdfPageLibrary& library, const PageJob& job, const Normaliser& normalise,
                          const PageDescriptionSource& describe)
{
    const int box = library.CreateBox(job.owner, 0);
    if (StageResult created = CheckPdfResult(library, box, job.imagePath); !created.ok) {
        return created;
    }
    const BoxGuard guard(library, box);

    // The page file and the normalised image are the run's own business: the user knows the picture by its list
    // entry, and learns where the run works when the disk there is full.
    QString picture = kNoPicture;
    const QString workFolder = QFileInfo(job.pagePath).absolutePath();
    const auto check = [&](int result) {
        StageResult checked = CheckPdfResult(library, result, job.imagePath);
        // The library quotes a name as its catalogue does; the same quotes are looked for here.
        const QString quoted =
            QCoreApplication::translate("PageCreation", "\"%1\"", "a name as the PDF library quotes it");
        checked.text.replace(quoted.arg(picture), QCoreApplication::translate("PageCreation", "prepared from it"));
        checked.text.replace(
            quoted.arg(job.pagePath),
            QCoreApplication::translate("PageCreation", "in the temporary folder \"%1\"").arg(workFolder));
        return checked;
    };
    const auto setNum = [&](int id, int value) { return check(library.SetNumProp(box, id, value)); };

    if (StageResult named = firstFailure({
            [&] { return setNum(PdfPageLibrary::Setting44, 1); },
            [&] { return check(library.SetStrProp(box, PdfPageLibrary::OutputFile, job.pagePath)); },
            [&] { return setNum(PdfPageLibrary::Setting44, 0); },
        });
        !named.ok) {
        return named;
    }

    const PageDescription description = describe();
    QString normaliseError;
    const std::optional<NormalisedImage> image = normalise(description.keepOriginal, &normaliseError);
    if (!image) {
        if (normaliseError.isEmpty()) {
            normaliseError = QCoreApplication::translate("PageCreation", "\"%1\" could not be prepared for its page.")
                                 .arg(job.imagePath);
        }
        return StageResult::failure(kImageTitle, normaliseError);
    }
    const PagePlacement placement =
        placePicture(description, image->widthPx, image->heightPx, image->resolutionX, image->resolutionY);
    const PageSize& page = placement.page;
    const PageRect& spot = placement.picture;
    if (image->picture) {
        picture = image->picture->path();
    }

    if (StageResult drawn = firstFailure({
            [&] { return check(library.SetStrProp(box, PdfPageLibrary::ProductName, kProductName)); },
            [&] { return setNum(PdfPageLibrary::PageWidth, page.width); },
            [&] { return setNum(PdfPageLibrary::PageHeight, page.height); },
            [&] { return setNum(PdfPageLibrary::Setting31, 2); },
            [&] { return setNum(PdfPageLibrary::JpegQuality, description.quality); },
            [&] {
                return setNum(PdfPageLibrary::Compression,
                              description.keepOriginal ? PdfPageLibrary::Lossless : PdfPageLibrary::JpegCompression);
            },
            [&] { return setNum(PdfPageLibrary::Setting51, 2); },
            [&] { return setNum(PdfPageLibrary::Setting52, 2); },
            [&] { return check(library.BeginDoc(box)); },
            [&] {
                if (const std::optional<OriginalJpeg>& original = image->original) {
                    const JpegFacts facts{original->width,       original->height,      original->components,
                                          original->inkInverted, original->orientation, original->iccProfile};
                    return check(
                        library.DrawJpegData(box, spot.left, spot.top, spot.width, spot.height, original->data, facts));
                }
                if (!image->iccProfile.isEmpty()) {
                    return check(library.StretchDrawFromFileInColours(box, spot.left, spot.top, spot.width, spot.height,
                                                                      picture, image->iccProfile));
                }
                return check(library.StretchDrawFromFile(box, spot.left, spot.top, spot.width, spot.height, picture));
            },
            [&] { return check(library.EndDoc(box)); },
        });
        !drawn.ok) {
        return drawn;
    }
    if (!QFileInfo(job.pagePath).isFile()) {
        return StageResult::failure(
            kPdfTitle,
            QCoreApplication::translate("PageCreation",
                                        "The page for \"%1\" could not be made. Its page file was not written in the "
                                        "temporary folder \"%2\".")
                .arg(job.imagePath, workFolder));
    }
    return StageResult::success();
}

StageResult createPagePdf(PdfPageLibrary& library, const PageJob& job, const PageDescriptionSource& describe)
{
    return createPagePdf(
        library, job,
        [&](bool keepOriginal, QString* error) { return readPagePicture(job.imagePath, keepOriginal, error); },
        describe);
}
