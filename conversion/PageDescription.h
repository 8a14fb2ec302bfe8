#pragma once

#include <QString>

#include <functional>
#include <optional>

// The paper a page is made on. AsImage is the picture's pixels at the program's one scale (about 96 dpi);
// AsScanned is its pixels at the resolution its file states; the others are sheets the picture is fitted onto.
enum class PaperSize
{
    AsImage,
    AsScanned,
    A4,
    A5,
    A3,
    Letter,
    Legal,
};

// Which way a sheet of paper stands. Automatic turns each sheet to match its picture.
enum class PaperOrientation
{
    Automatic,
    Portrait,
    Landscape,
};

// How one page is made, said by name: what the window's page controls stand at when the page is made. The run hands
// it to the page's making, which turns it into the page library's settings.
struct PageDescription
{
    int quality = 80; // of the page's JPEG picture, 1 to 100
    PaperSize paper = PaperSize::AsImage;
    PaperOrientation orientation = PaperOrientation::Automatic; // with a sheet of paper only
    int marginMm = 10;                                          // on every side of a sheet of paper, 0 to 50
    // A JPEG's page holds the file's own data and any other picture is kept without loss; quality is then not used.
    bool keepOriginal = false;

    friend bool operator==(const PageDescription&, const PageDescription&) = default;
};

inline constexpr int kMaxMarginMm = 50;

// The words a paper size and an orientation are kept and typed as: "as-image", "as-scanned", "a4", "a5", "a3",
// "letter", "legal"; "auto", "portrait", "landscape". Reading takes them in any case; nothing for any other word.
[[nodiscard]] QString paperSizeWord(PaperSize paper);
[[nodiscard]] std::optional<PaperSize> paperSizeFromWord(const QString& word);
[[nodiscard]] QString orientationWord(PaperOrientation orientation);
[[nodiscard]] std::optional<PaperOrientation> orientationFromWord(const QString& word);

// Reads the page controls; asked once for each page, at the moment its settings are made.
using PageDescriptionSource = std::function<PageDescription()>;
