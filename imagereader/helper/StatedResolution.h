#pragma once

#include <FreeImage.h>

class FdStream;
struct JpegFacts;

// The resolution a file states for its picture, in pixels per inch across and down. Values are as the file gives
// them, save that one that is not a number above 0 is 0, as is one the file does not state: whether a value is
// plausible is for the program to judge.
struct StatedResolution
{
    double x = 0;
    double y = 0;
};

// What the file states of its pixels as they are stored, before any orientation: a PNG's pHYs chunk, a JPEG's JFIF
// density or else its EXIF block's resolution (`jpeg` as readJpegFacts gave it), a TIFF file's first directory. Other
// formats state none here: FreeImage fills in a resolution of its own where a file states none.
[[nodiscard]] StatedResolution statedResolution(const FdStream& file, FREE_IMAGE_FORMAT format, const JpegFacts& jpeg);
