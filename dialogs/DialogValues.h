#pragma once

#include <QColor>
#include <QString>

// Text up to, not including, its first NUL character; the whole text when it has none.
[[nodiscard]] QString textBeforeNul(const QString& text);

// The folder part of a chosen file's path: everything before the last "/". A file in the root gives "/",
// the root's own name, so the folder stays usable as the next dialog's start.
[[nodiscard]] QString folderOfFile(const QString& path);
// The name part: everything after the last "/".
[[nodiscard]] QString nameOfFile(const QString& path);

// Colours are kept as 0x00BBGGRR; the top byte is ignored.
[[nodiscard]] QColor colorFromColorRef(quint32 colorRef);
[[nodiscard]] quint32 colorRefFromColor(const QColor& color);

// number * numerator / denominator, rounded half away from zero, computed without overflow on the way;
// -1 when the denominator is 0 or the result does not fit an int.
[[nodiscard]] int mulDiv(int number, int numerator, int denominator);

// The height a font of the given points is asked for on a screen of the given resolution: negative,
// meaning character height in pixels.
[[nodiscard]] int fontPixelHeight(int points, int dpiY);

// The family name a font request carries: up to the first NUL, at most 31 characters (the room the font
// description has), never cutting a character in half.
[[nodiscard]] QString fontRequestFamily(const QString& fontName);
