#include "imagelist/ImageListWidget.h"

#include "imagelist/DropIntake.h"
#include "imagelist/ImageTest.h"
#include "imagelist/ListPictures.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>

namespace {

const QString kEntryMoveFormat = QStringLiteral("application/x-pagewell-entry-move");

template <typename Event> void offerCopy(Event* event, bool locked)
{
    if (locked) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace

ImageListWidget::ImageListWidget(QWidget* parent) : QListWidget(parent), m_pictures(new ListPictures(this))
{
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ImageListWidget::setHint(const QString& hint)
{
    m_hint = hint;
    viewport()->update();
}

void ImageListWidget::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (count() > 0 || m_hint.isEmpty()) {
        return;
    }
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect(), Qt::AlignCenter, m_hint);
}

int ImageListWidget::takeDrop(const QMimeData* data)
{
    return takePaths(droppedImagePaths(data));
}

int ImageListWidget::takePaths(const QList<QByteArray>& paths)
{
    if (m_locked) {
        return 0;
    }
    QList<QByteArray> images;
    for (const QByteArray& path : paths) {
        if (joinsImageList(path)) {
            images.append(path);
        }
    }
    appendPaths(images);
    return int(images.size());
}

void ImageListWidget::appendPaths(const QList<QByteArray>& paths)
{
    // All rows in one insertion: a folder scan hands over thousands at a time.
    QStringList shown;
    shown.reserve(paths.size());
    for (const QByteArray& path : paths) {
        shown.append(QFile::decodeName(path));
    }
    const int first = count();
    addItems(shown);
    for (int i = 0; i < paths.size(); ++i) {
        item(first + i)->setData(kNativePathRole, paths.at(i));
    }
}

QByteArray ImageListWidget::nativePath(int row) const
{
    const QListWidgetItem* entry = item(row);
    if (entry == nullptr) {
        return {};
    }
    // Entries added as plain text (the open dialog gives text) have no bytes of their own.
    const QVariant native = entry->data(kNativePathRole);
    return native.isValid() ? native.toByteArray() : QFile::encodeName(entry->text());
}

void ImageListWidget::moveEntry(int from, int before)
{
    if (m_locked || from < 0 || from >= count() || before < 0 || before > count()) {
        return;
    }
    const int to = before > from ? before - 1 : before;
    if (to != from) {
        insertItem(to, takeItem(from));
    }
    // Made current again even where it stayed, so that whatever follows the current entry (the page label) does.
    setCurrentRow(to);
}

QStringList ImageListWidget::mimeTypes() const
{
    return {kEntryMoveFormat};
}

QByteArray ImageListWidget::dragOrigin() const
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(this), 16);
}

QMimeData* ImageListWidget::mimeData(const QList<QListWidgetItem*>& items) const
{
    if (items.isEmpty()) {
        return nullptr;
    }
    auto* data = new QMimeData;
    data->setData(kEntryMoveFormat, dragOrigin() + ':' + QByteArray::number(row(items.constFirst())));
    return data;
}

std::optional<int> ImageListWidget::draggedRow(const QMimeData* data) const
{
    if (data == nullptr || !data->hasFormat(kEntryMoveFormat)) {
        return std::nullopt;
    }
    const QByteArray payload = data->data(kEntryMoveFormat);
    const qsizetype colon = payload.lastIndexOf(':');
    if (colon < 0 || payload.left(colon) != dragOrigin()) {
        return std::nullopt;
    }
    bool ok = false;
    const int dragged = payload.mid(colon + 1).toInt(&ok);
    return ok ? std::optional<int>(dragged) : std::nullopt;
}

int ImageListWidget::dropRow(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid()) {
        return count(); // below the last entry
    }
    return pos.y() < visualRect(index).center().y() ? index.row() : index.row() + 1;
}

void ImageListWidget::startDrag(Qt::DropActions /*supportedActions*/)
{
    // The move is made by the drop; nothing is removed after the drag, whatever the target answered.
    const QList<QListWidgetItem*> items = selectedItems();
    if (m_locked || items.isEmpty()) {
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeData(items));
    const QRect entry = visualItemRect(items.constFirst());
    drag->setPixmap(viewport()->grab(entry));
    drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - entry.topLeft());
    drag->exec(Qt::MoveAction);
}

void ImageListWidget::answerDrag(QDragMoveEvent* event, bool entering)
{
    if (m_locked || !draggedRow(event->mimeData())) {
        offerCopy(event, m_locked);
        return;
    }
    // The view shows where the entry would land.
    if (entering) {
        QListWidget::dragEnterEvent(static_cast<QDragEnterEvent*>(event));
    } else {
        QListWidget::dragMoveEvent(event);
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void ImageListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    answerDrag(event, true);
}

void ImageListWidget::dragMoveEvent(QDragMoveEvent* event)
{
    answerDrag(event, false);
}

void ImageListWidget::dropEvent(QDropEvent* event)
{
    if (const std::optional<int> dragged = draggedRow(event->mimeData())) {
        stopAutoScroll();
        setState(NoState);
        viewport()->update();
        if (m_locked) {
            event->ignore();
            return;
        }
        event->setDropAction(Qt::MoveAction);
        event->accept();
        moveEntry(*dragged, dropRow(event->position().toPoint()));
        return;
    }
    if (m_locked) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    takeDrop(event->mimeData());
}

DropPanel::DropPanel(ImageListWidget* list, QWidget* parent) : QLabel(parent), m_list(list)
{
    setTextFormat(Qt::PlainText);
    setAcceptDrops(true);
}

void DropPanel::dragEnterEvent(QDragEnterEvent* event)
{
    offerCopy(event, m_list->isLocked());
}

void DropPanel::dragMoveEvent(QDragMoveEvent* event)
{
    offerCopy(event, m_list->isLocked());
}

void DropPanel::dropEvent(QDropEvent* event)
{
    if (m_list->isLocked()) {
        event->ignore();
        return;
    }
    hide();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    m_list->takeDrop(event->mimeData());
}
