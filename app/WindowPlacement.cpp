#include "app/WindowPlacement.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A geometry and a flag take a few dozen bytes. QSettings reads a file whole, with no limit, before the window can
// appear, and merges it into what it writes: anything larger than this is no state file of ours.
constexpr off_t kStateFileMaxBytes = 4096;

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

enum class StateFile
{
    Missing,
    Usable,
    Oversized,
    NotOrdinary
};

// Follows symbolic links, as QSettings does; a FIFO or a device under that name is never opened.
StateFile stateFileKind(const QByteArray& path)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        return errno == ENOENT ? StateFile::Missing : StateFile::NotOrdinary;
    }
    if (!S_ISREG(info.st_mode)) {
        return StateFile::NotOrdinary;
    }
    return info.st_size > kStateFileMaxBytes ? StateFile::Oversized : StateFile::Usable;
}

} // namespace

std::optional<WindowPlace> readWindowPlace(const QString& stateFile)
{
    if (stateFile.isEmpty() || stateFileKind(QFile::encodeName(stateFile)) != StateFile::Usable) {
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
    if (stateFile.isEmpty()) {
        return;
    }
    const QByteArray path = QFile::encodeName(stateFile);
    switch (stateFileKind(path)) {
    case StateFile::NotOrdinary:
        return;
    case StateFile::Oversized: {
        // QSettings would read it all and write it back with our two values added. Only a plain file goes: a link to
        // one is left as it is, with what it points to, and the place is not kept.
        struct stat name = {};
        if (::lstat(path.constData(), &name) != 0 || !S_ISREG(name.st_mode) || ::unlink(path.constData()) != 0) {
            return;
        }
        break;
    }
    case StateFile::Missing:
    case StateFile::Usable:
        break;
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
