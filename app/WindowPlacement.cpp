#include "app/WindowPlacement.h"

#include "app/StateFile.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {

const auto kGeometryKey = QStringLiteral("MainWindow/geometry");
const auto kMaximizedKey = QStringLiteral("MainWindow/maximized");

QRect centredIn(const QRect& area, QSize size)
{
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(area.center());
    // A window larger than the area keeps its top left corner, with the title bar, on screen.
    placed.moveLeft(std::max(placed.left(), area.left()));
    placed.moveTop(std::max(placed.top(), area.top()));
    return placed;
}

} // namespace

std::optional<WindowPlace> readWindowPlace(const QString& stateFile)
{
    if (!stateFileReadable(stateFile)) {
        return std::nullopt;
    }
    const QSettings state(stateFile, QSettings::IniFormat);
    const QRect geometry = state.value(kGeometryKey).toRect();
    if (state.status() != QSettings::NoError || !geometry.isValid()) {
        return std::nullopt;
    }
    return WindowPlace{geometry, state.value(kMaximizedKey).toBool()};
}

void writeWindowPlace(const QString& stateFile, const WindowPlace& place)
{
    if (!stateFileWritable(stateFile)) {
        return;
    }
    QSettings state(stateFile, QSettings::IniFormat);
    state.setValue(kGeometryKey, place.geometry);
    state.setValue(kMaximizedKey, place.maximized);
}

QRect openingGeometry(const std::optional<QRect>& remembered, const QList<QRect>& availableAreas, const QRect& openOn,
                      QSize preferred, QSize minimum, QMargins frame)
{
    // What a screen's available area leaves for the window's inside once its frame is drawn around it.
    const auto room = [&frame](const QRect& area) { return area.marginsRemoved(frame); };
    if (remembered && remembered->isValid()) {
        const QRect wanted(remembered->topLeft(), remembered->size().expandedTo(minimum));
        for (const QRect& area : availableAreas) {
            // Its inside was there, below its title bar, when it was closed; only the size must leave room for a frame.
            if (area.contains(wanted) && room(area).size().boundedTo(wanted.size()) == wanted.size()) {
                return wanted;
            }
        }
        const QRect here = room(openOn);
        if (here.width() >= wanted.width() && here.height() >= wanted.height()) {
            return centredIn(here, wanted.size());
        }
    }
    const QRect here = room(openOn);
    return centredIn(here, preferred.boundedTo(here.size()).expandedTo(minimum));
}

void placeWindow(QWidget& window, const QString& stateFile, QSize preferred)
{
    // The frame is known only once the window is shown: room for a title bar and thin edges.
    constexpr QMargins kFrameAllowance(8, 40, 8, 8);
    QScreen* openOn = QGuiApplication::screenAt(QCursor::pos());
    if (!openOn) {
        openOn = QGuiApplication::primaryScreen();
    }
    if (!openOn) {
        return;
    }
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.append(screen->availableGeometry());
    }
    const std::optional<WindowPlace> remembered = readWindowPlace(stateFile);
    window.setGeometry(openingGeometry(remembered ? std::optional(remembered->geometry) : std::nullopt, areas,
                                       openOn->availableGeometry(), preferred, window.minimumSizeHint(),
                                       kFrameAllowance));
    if (remembered && remembered->maximized) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
}

void rememberWindow(const QWidget& window, const QString& stateFile)
{
    if (window.isVisible()) {
        writeWindowPlace(stateFile, {window.normalGeometry(), window.isMaximized()});
    }
}
