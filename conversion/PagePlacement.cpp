#include "conversion/PagePlacement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kUnitsPerInch = 254.0;

// Portrait sheets, in 0.1 mm.
PageSize portraitSheet(PaperSize paper)
{
    switch (paper) {
    case PaperSize::A4:
        return {2100, 2970};
    case PaperSize::A5:
        return {1480, 2100};
    case PaperSize::A3:
        return {2970, 4200};
    case PaperSize::Letter:
        return {2159, 2794};
    case PaperSize::Legal:
        return {2159, 3556};
    case PaperSize::AsImage:
    case PaperSize::AsScanned:
        break;
    }
    return {};
}

// The picture's shape scaled to fit the area, proportions kept, centred in it.
PageRect fitInside(double width, double height, const PageRect& area)
{
    const double scale = std::min(area.width / width, area.height / height);
    const int fittedWidth = std::clamp(int(std::lround(width * scale)), 1, area.width);
    const int fittedHeight = std::clamp(int(std::lround(height * scale)), 1, area.height);
    return {area.left + (area.width - fittedWidth) / 2, area.top + (area.height - fittedHeight) / 2, fittedWidth,
            fittedHeight};
}

// A page the size of its picture, brought within the readers' limits: a page too large is scaled down whole, a side
// too short is lengthened. The picture fills the page when it needed no lengthening.
PagePlacement pictureSizedPage(double width, double height)
{
    const double shrink = std::min(1.0, kMaxPageSide / std::max(width, height));
    width *= shrink;
    height *= shrink;
    const auto within = [](double side) { return std::clamp(int(std::lround(side)), kMinPageSide, kMaxPageSide); };
    const PageSize page{within(width), within(height)};
    return {page, fitInside(width, height, {0, 0, page.width, page.height})};
}

} // namespace

int pageUnits(int px)
{
    // px / 0.376 == px * 125 / 47 exactly. With an odd divisor the quotient is never halfway between two
    // whole numbers, so rounding to nearest needs no tie rule.
    const std::int64_t scaled = std::int64_t(px) * 125;
    std::int64_t quotient = scaled / 47;
    const std::int64_t remainder = scaled % 47;
    if (2 * remainder > 47) {
        ++quotient;
    } else if (2 * remainder < -47) {
        --quotient;
    }
    return int(std::clamp<std::int64_t>(quotient, INT32_MIN, INT32_MAX));
}

PageSize pageGeometry(int widthPx, int heightPx)
{
    PageSize page{pageUnits(widthPx), pageUnits(heightPx)};
    if (page.width <= kSixteenBitPageSideLimit && page.height <= kSixteenBitPageSideLimit) {
        return page;
    }
    // The longer side becomes the limit; the other follows the image's own proportions.
    if (widthPx >= heightPx) {
        page.width = kSixteenBitPageSideLimit;
        page.height = int(std::lround(double(kSixteenBitPageSideLimit) * heightPx / widthPx));
    } else {
        page.height = kSixteenBitPageSideLimit;
        page.width = int(std::lround(double(kSixteenBitPageSideLimit) * widthPx / heightPx));
    }
    page.width = std::max(page.width, 1);
    page.height = std::max(page.height, 1);
    return page;
}

std::optional<double> usableResolution(double acrossPpi, double downPpi)
{
    constexpr double kLowest = 10;
    constexpr double kHighest = 10000;
    // Files store resolutions rounded (per metre, per centimetre): equal within a thousandth.
    if (!(acrossPpi >= kLowest && acrossPpi <= kHighest && downPpi >= kLowest && downPpi <= kHighest) ||
        std::abs(acrossPpi - downPpi) > acrossPpi / 1000) {
        return std::nullopt;
    }
    return (acrossPpi + downPpi) / 2;
}

std::optional<PageSize> paperSheet(PaperSize paper, PaperOrientation orientation, int widthPx, int heightPx)
{
    const PageSize portrait = portraitSheet(paper);
    if (portrait.width == 0) {
        return std::nullopt;
    }
    const bool landscape = orientation == PaperOrientation::Landscape ||
                           (orientation == PaperOrientation::Automatic && widthPx > heightPx);
    return landscape ? PageSize{portrait.height, portrait.width} : portrait;
}

PagePlacement placePicture(const PageDescription& description, int widthPx, int heightPx, double acrossPpi,
                           double downPpi)
{
    widthPx = std::max(widthPx, 1);
    heightPx = std::max(heightPx, 1);
    if (const std::optional<PageSize> sheet =
            paperSheet(description.paper, description.orientation, widthPx, heightPx)) {
        const int margin = std::clamp(description.marginMm, 0, kMaxMarginMm) * 10;
        const PageRect area{margin, margin, sheet->width - 2 * margin, sheet->height - 2 * margin};
        return {*sheet, fitInside(widthPx, heightPx, area)};
    }
    if (description.paper == PaperSize::AsScanned) {
        if (const std::optional<double> ppi = usableResolution(acrossPpi, downPpi)) {
            return pictureSizedPage(widthPx * kUnitsPerInch / *ppi, heightPx * kUnitsPerInch / *ppi);
        }
    }
    const PageSize page = pageGeometry(widthPx, heightPx);
    if (page.width >= kMinPageSide && page.height >= kMinPageSide) {
        return {page, {0, 0, page.width, page.height}};
    }
    return pictureSizedPage(page.width, page.height);
}
