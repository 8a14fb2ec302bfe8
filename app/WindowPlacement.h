#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

// Where the window stood when it was last closed: its normal (not maximised) geometry without the frame, and
// whether it was maximised. Kept between sessions in a state file of its own, never in the settings file.
struct WindowPlace
{
    QRect geometry;
    bool maximized = false;
};

// Nothing when the file is missing, unreadable, not a plain file, larger than a few KiB or holds no usable geometry.
[[nodiscard]] std::optional<WindowPlace> readWindowPlace(const QString& stateFile);
// A plain file too large to be read is replaced, not added to. Quietly does nothing where the file cannot be written
// or is no plain file: a lost place only means the window opens centred.
void writeWindowPlace(const QString& stateFile, const WindowPlace& place);

// The geometry (frame excluded) the window opens at. A remembered geometry is used whole when it lies in one
// screen's available area; a remembered size alone when it fits the area of the screen the window opens on (it is
// then centred there); otherwise the preferred size, shrunk to that area, centred. Never below minimum: the window's
// layout keeps every control whole at that size, and it fits the smallest screen the program is made for.
[[nodiscard]] QRect openingGeometry(const std::optional<QRect>& remembered, const QList<QRect>& availableAreas,
                                    const QRect& openOn, QSize preferred, QSize minimum, QMargins frame);

// Gives a top-level window that is not shown yet the geometry and state it opens with: as remembered in stateFile
// where that still fits (see openingGeometry), on the screen under the mouse pointer.
void placeWindow(QWidget& window, const QString& stateFile, QSize preferred);
// Keeps where a shown window stands in stateFile; a hidden one leaves the file as it is.
void rememberWindow(const QWidget& window, const QString& stateFile);
