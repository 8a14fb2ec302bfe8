#pragma once

#include "imagelist/ListPictureCache.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QTimer>

class ImageListWidget;
class QListWidgetItem;

// The small pictures beside the list's entries. The rows in sight ask for theirs first, then the rows near them,
// then the rest while the kept pictures have room; a picture is kept for the session by file, size and change
// time (ListPictureCache). Rows far out of sight give theirs back, so that what is kept is all the list holds. A
// file the reader refused shows a warning sign, with the reason as its tool tip and accessible description.
// Nothing here waits: the pictures are read elsewhere (wanted() asks, take() brings them).
class ListPictures final : public QObject
{
    Q_OBJECT
public:
    static constexpr QSize kPictureBox{72, 48}; // in scaled pixels
    static constexpr qint64 kBudgetBytes = qint64(32) << 20;

    explicit ListPictures(ImageListWidget* list);

    // What the reader made of a file: its picture, or a null image and the reason it refused it.
    void take(const QByteArray& path, const QImage& image, const QString& reason);
    [[nodiscard]] const ListPictureCache& cache() const { return m_cache; }
    // The size of a picture in device pixels on the list's screen.
    [[nodiscard]] QSize deviceSize() const;

Q_SIGNALS:
    // The files to read next, in this order, each to fit in deviceSize; replaces what was asked before.
    void wanted(const QList<QByteArray>& paths, QSize deviceSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshSoon();
    void refresh();
    void show(QListWidgetItem* item, const ListPicture* shown);

    ImageListWidget* m_list;
    // The list's viewport, whose size changes call for pictures; kept here because its events still come while the
    // list is being destroyed, when the list can no longer be asked for it.
    QObject* m_viewport;
    ListPictureCache m_cache{kBudgetBytes};
    QTimer m_refresh;
};
