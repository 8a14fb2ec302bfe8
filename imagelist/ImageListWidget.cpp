#include "imagelist/ImageListWidget.h"

#include "imagelist/DropIntake.h"
#include "imagelist/ImageTest.h"
#include "imagelist/SpecialFile.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>

namespace {

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

ImageListWidget::ImageListWidget(QWidget* parent) : QListWidget(parent)
{
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
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

int ImageListWidget::takePaths(const QStringList& paths)
{
    if (m_locked) {
        return 0;
    }
    QStringList images;
    for (const QString& path : paths) {
        if (passesImageTest(path) && !isSpecialFile(path)) {
            images.append(path);
        }
    }
    addItems(images);
    return int(images.size());
}

void ImageListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    offerCopy(event, m_locked);
}

void ImageListWidget::dragMoveEvent(QDragMoveEvent* event)
{
    offerCopy(event, m_locked);
}

void ImageListWidget::dropEvent(QDropEvent* event)
{
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
