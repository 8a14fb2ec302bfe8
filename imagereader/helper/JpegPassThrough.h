#pragma once

#include <optional>
#include <vector>

// A JPEG file whose own data can be a page's picture as it stands, and what the page needs to know of it.
struct KeptJpeg
{
    int width = 0; // as stored
    int height = 0;
    int components = 0; // 1 grey, 3 YCbCr or RGB, 4 CMYK or YCCK
    bool inkInverted = false;
    std::vector<unsigned char> iccProfile; // empty when it has none
    // Its own data, from the file's start to its end of image. What follows is not the picture: cameras append
    // previews and gain maps, phones a motion photo's video; none of it goes onto a page.
    std::size_t length = 0;
};

// The facts of the JPEG in `file` when its data can go onto a page unchanged: one Huffman-coded baseline, extended or
// progressive frame of 8-bit samples in 1, 3 or 4 components, whose colours every reader takes the same way, with a
// colour profile that is whole and fits them, and which libjpeg decodes to its end without a word. Nothing when
// anything about it is doubtful: it is then decoded like any other picture.
[[nodiscard]] std::optional<KeptJpeg> keptJpeg(const std::vector<unsigned char>& file);

// The EXIF orientation (1 to 8) of a picture shown as `orientation` says and then turned clockwise by quarterTurns.
[[nodiscard]] int turnedOrientation(int orientation, int quarterTurns);
