#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// The one table of the formats this program reads: by format code, the extensions that stand for them, which of
// those a name may end in to join the list, and the open dialog's file types. A code is FreeImage's (a
// FREE_IMAGE_FORMAT value) for the formats FreeImage reads, or one of the codes below for those the helper reads
// with a library of their own. Plain C++, shared by the program, its list and its image-reading helper.

// Beyond FreeImage's codes: read with libheif, libwebp and libjxl.
inline constexpr int kFormatHeif = 1001; // HEIC and the other HEIF pictures
inline constexpr int kFormatAvif = 1002; // AVIF, a HEIF file of AV1 pictures
inline constexpr int kFormatWebp = 1003;
inline constexpr int kFormatJxl = 1004; // JPEG XL, bare or in its container

// One extension of the table.
struct FormatExtension
{
    std::string_view extension; // lower case, without the dot
    int format;
    // The open dialog's file type this extension belongs to, in English ("JPG Files(*.jpg)"; the program shows it
    // translated in the context "ToolBarCommands"); rows of one type stand next to each other, in the dialog's
    // order. nullptr for an extension the helper reads but the list does not take by its name.
    const char* dialogType;
};

// Every extension of the table: first those the list takes, in the open dialog's order, then the others.
[[nodiscard]] std::span<const FormatExtension> formatExtensions();

// The format code that the extension of `fileName` stands for: the text after the last "." of the name (the
// part after the last "/"), compared without regard to case. -1 (FIF_UNKNOWN) when it is not in the table.
[[nodiscard]] int formatForFileName(std::string_view fileName);

// Whether `format` is one of the table's formats: BMP, JPEG, GIF, PNG, ICO, TIFF, IFF, PCX, PSD, HEIF, AVIF, WebP,
// JPEG XL.
[[nodiscard]] bool isTableFormat(int format);

// Whether the format is one that FreeImage does not read (HEIF, AVIF, WebP, JPEG XL).
[[nodiscard]] bool isOwnDecoderFormat(int format);

// The table's FreeImage formats in the order FreeImage itself probes content, for reading a misnamed file by its
// content.
[[nodiscard]] const int* tableFormatsByProbeOrder(int* count);

// Which of HEIF, AVIF, WebP and JPEG XL the first bytes of a file are (a dozen or so suffice, 64 are plenty);
// -1 when none of them.
[[nodiscard]] int ownDecoderFormatByContent(const unsigned char* start, std::size_t length);

// The format's name as the reader reports it ("HEIF", "WEBP", ...), for the codes above.
[[nodiscard]] const char* ownDecoderFormatName(int format);
