#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The getting-started guide shown over the empty list: the three steps from images to a PDF.

// The drawing's own size in device-independent pixels.
[[nodiscard]] QSize gettingStartedPictureSize();

// The guide drawn as large as fits into available (keeping its proportions, never smaller than a quarter of its own
// size), at devicePixelRatio device pixels per pixel so that it is sharp on a high-density screen.
[[nodiscard]] QImage gettingStartedPicture(QSize available, qreal devicePixelRatio = 1.0);

// The guide's words, for those who cannot see the picture (a screen reader reads them).
[[nodiscard]] QString gettingStartedText();
