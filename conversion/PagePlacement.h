#pragma once

#include "conversion/PageDescription.h"

#include <optional>

// A page's width and height in the page-PDF library's unit, 0.1 mm.
struct PageSize
{
    int width = 0;
    int height = 0;

    friend bool operator==(const PageSize&, const PageSize&) = default;
};

// A rectangle on the page in 0.1 mm, from the page's top-left corner.
struct PageRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PageRect&, const PageRect&) = default;
};

// A page and where its picture goes on it.
struct PagePlacement
{
    PageSize page;
    PageRect picture;
};

// The page sides PDF readers honour, 3 to 14,400 pt: in whole 0.1 mm, 1.1 mm (3.12 pt) to 5080 mm.
inline constexpr int kMinPageSide = 11;
inline constexpr int kMaxPageSide = 50800;

// The largest page side "As the image" gives, in 0.1 mm: the page geometry's 16-bit limit.
inline constexpr int kSixteenBitPageSideLimit = 32767;

// Pixels to 0.1 mm at 0.376 units per pixel (about 96 dpi), rounded to the nearest unit: 800 -> 2128,
// 12320 -> 32766. Not limited.
[[nodiscard]] int pageUnits(int px);

// The picture's own page, "As the image": its pixels at 0.376 units each. When a side would exceed
// kSixteenBitPageSideLimit the whole page is scaled down to fit, keeping its proportions; no side becomes smaller
// than 1. The page's lower limit is placePicture's business.
[[nodiscard]] PageSize pageGeometry(int widthPx, int heightPx);

// The resolution a scan's page is made at: the one its file states, when it is the same across and down and
// between 10 and 10,000 pixels per inch; nothing otherwise.
[[nodiscard]] std::optional<double> usableResolution(double acrossPpi, double downPpi);

// The sheet of a paper size, standing as the orientation says: Automatic stands it as the picture stands (a square
// picture gets an upright sheet). Nothing for AsImage and AsScanned, which have no sheet.
[[nodiscard]] std::optional<PageSize> paperSheet(PaperSize paper, PaperOrientation orientation, int widthPx,
                                                 int heightPx);

// Where a picture of this pixel size goes, and on what page:
// - As the image: pageGeometry's page, the picture filling it.
// - As scanned: the pixels at the file's stated resolution, the picture filling the page; the As-the-image page
//   when that resolution is not usable.
// - A paper size: the sheet, the picture scaled to fit inside the margins (enlarged when smaller), proportions
//   kept, centred.
// A page side outside kMinPageSide..kMaxPageSide is brought within; the picture then keeps its proportions, centred.
[[nodiscard]] PagePlacement placePicture(const PageDescription& description, int widthPx, int heightPx,
                                         double acrossPpi = 0, double downPpi = 0);
