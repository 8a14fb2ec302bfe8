#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>

// The program's own icons and pictures, drawn as SVG and kept in resources/; they stay sharp at any scale.

// The icon of tool-bar button index (0..6); a null icon for any other index.
[[nodiscard]] QIcon toolBarIcon(int index);
// The icon of the convert button.
[[nodiscard]] QIcon convertIcon();
// The program's icon, for the window and the desktop.
[[nodiscard]] QIcon programIcon();
