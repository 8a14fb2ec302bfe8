#pragma once

#include <QImage>

// The getting-started guide shown over the empty list: the three steps from images to a PDF.
[[nodiscard]] QImage gettingStartedPicture(qreal devicePixelRatio = 1.0);
