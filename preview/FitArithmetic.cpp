#include "preview/FitArithmetic.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Nearest integer with ties to the even neighbour, clamped to the 16-bit range the drawing works in.
int round16(float value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const float rounded = std::nearbyint(value);
    std::fesetround(previous);
    const float lo = std::numeric_limits<std::int16_t>::min();
    const float hi = std::numeric_limits<std::int16_t>::max();
    return static_cast<int>(rounded < lo ? lo : (rounded > hi ? hi : rounded));
}

} // namespace

FitRect fitPicture(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) {
        return {};
    }
    // Single precision on purpose: the rounding of the worked examples depends on it.
    const float r = static_cast<float>(pictureWidth) / static_cast<float>(pictureHeight);
    const float boxW = static_cast<float>(boxWidth);
    const float boxH = static_cast<float>(boxHeight);
    const float q = boxW / boxH;

    const bool fitHeight = r >= 1.0f ? q >= r : q > r;
    FitRect rect;
    if (fitHeight) {
        rect.h = round16(boxH);
        rect.w = round16(r * boxH);
        rect.y = 0;
        rect.x = round16((boxW - static_cast<float>(rect.w)) / 2.0f);
    } else {
        rect.w = round16(boxW);
        rect.h = round16(boxW / r);
        rect.x = 0;
        rect.y = round16((boxH - static_cast<float>(rect.h)) / 2.0f);
    }
    return rect;
}
