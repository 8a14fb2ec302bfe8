#pragma once

#include <string_view>

// The formats this program reads, by FreeImage's format code (a FREE_IMAGE_FORMAT value), and the extensions
// that stand for them. Plain C++, shared by the program and its image-reading helper.

// The format code that the extension of `fileName` stands for: the text after the last "." of the name (the
// part after the last "/"), compared without regard to case. -1 (FIF_UNKNOWN) when it is not in the table.
[[nodiscard]] int formatForFileName(std::string_view fileName);

// Whether `format` is one of the table's formats: BMP, JPEG, GIF, PNG, ICO, TIFF, IFF, PCX, PSD.
[[nodiscard]] bool isTableFormat(int format);

// The table's formats in the order FreeImage itself probes content, for reading a misnamed file by its content.
[[nodiscard]] const int* tableFormatsByProbeOrder(int* count);
