#pragma once

#include "conversion/ConversionStages.h"
#include "conversion/PageDescription.h"
#include "conversion/PagePlacement.h"
#include "imagereader/PageRead.h"

#include <QString>

#include <functional>
#include <optional>

class PdfPageLibrary;
class QWidget;

// Turns a library result into the run's verdict: -1 is a failure with the title "PDF", the library's own
// text and the list entry's image file named; any other result is success.
[[nodiscard]] StageResult CheckPdfResult(const PdfPageLibrary& library, int result, const QString& imagePath);

// One list entry's page.
struct PageJob
{
    QWidget* owner = nullptr; // handed to CreateBox
    QString imagePath;        // the list entry, named in messages
    QString pagePath;         // the one-page PDF to write (jpgtmp/<index>.pdf)
};

// Normalises the entry's image, keeping a JPEG's own data where the reader finds it fit when keepOriginal; on
// failure returns nothing and sets *error.
using Normaliser = std::function<std::optional<NormalisedImage>(bool keepOriginal, QString* error)>;

// Makes the page of one entry: opens a box, names the page file, reads describe() once, normalises the image through
// `normalise`, sets the page properties, draws the image where placePicture() puts it (a kept JPEG's own data, or the
// normalised picture, compressed without loss when the original is kept) and writes the file. Stops at the first
// failure; the box is always released. A normalisation failure comes back with the title "Image", a library failure
// with the title "PDF".
[[nodiscard]] StageResult createPagePdf(PdfPageLibrary& library, const PageJob& job, const Normaliser& normalise,
                                        const PageDescriptionSource& describe);

// The same, normalising with readPagePicture(job.imagePath, keepOriginal).
[[nodiscard]] StageResult createPagePdf(PdfPageLibrary& library, const PageJob& job,
                                        const PageDescriptionSource& describe);
