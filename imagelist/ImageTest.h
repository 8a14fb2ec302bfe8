#pragma once

#include <QString>

// Whether a file name (or a whole path) looks like an image we take: its last three characters are bmp, jpg, gif,
// png, tif or jxl, or its last four are tiff, jpeg, heic, heif, avif or webp, in any case. The dot is not looked at,
// so "photojpg" passes.
bool passesImageTest(const QString& name);
