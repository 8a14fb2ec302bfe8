#pragma once

// Where a picture of the given proportions is drawn inside a box, keeping its proportions and centring it.
struct FitRect
{
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// pictureWidth/Height: the picture's natural size; boxWidth/Height: the surface's outer size.
// Returns an empty rect when either has no area. Values are rounded half to even and kept within 16 bits.
[[nodiscard]] FitRect fitPicture(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight);
