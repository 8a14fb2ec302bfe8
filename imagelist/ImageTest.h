#pragma once

#include <QString>

// Whether a file name (or a whole path) looks like an image we take: it ends in one of the extensions the format
// table lets join the list (bmp, jpg, gif, png, tif, jxl, tiff, jpeg, heic, heif, avif, webp), in any case. The dot
// is not looked at, so "photojpg" passes.
bool passesImageTest(const QString& name);
