#pragma once

#include <QLabel>
#include <QListWidget>

#include <optional>

class ListPictures;
class QMimeData;

// The image list: takes dropped files, and lets the user drag an entry to a new place, unless a run has locked it.
class ImageListWidget final : public QListWidget
{
    Q_OBJECT
public:
    explicit ImageListWidget(QWidget* parent = nullptr);

    void setLocked(bool locked) { m_locked = locked; }
    // A line shown in the middle of the list while it is empty.
    void setHint(const QString& hint);
    [[nodiscard]] bool isLocked() const { return m_locked; }
    // Each entry keeps its file's path as the file system's bytes under this role; the text shows it decoded. The
    // two differ only for names that are not UTF-8, which the text cannot hold unchanged.
    static constexpr int kNativePathRole = Qt::UserRole;
    // The quarter turns clockwise (0 to 3) the user gave the entry: its picture and its page are shown turned so.
    static constexpr int kQuarterTurnsRole = Qt::UserRole + 1;

    // Appends the dropped files that pass the image test, in the order given; FIFOs, sockets and devices are passed
    // over. Returns how many joined.
    int takeDrop(const QMimeData* data);
    // The same for paths handed over otherwise (the command line), as the file system's bytes.
    int takePaths(const QList<QByteArray>& paths);
    // Appends entries as they are, without any test.
    void appendPaths(const QList<QByteArray>& paths);
    // The path of the entry at row as the file system's bytes.
    [[nodiscard]] QByteArray nativePath(int row) const;
    // Moves the entry at row from to just before the entry now at row before (count() puts it last) and selects it
    // there. Nothing moves while the list is locked.
    void moveEntry(int from, int before);
    // The small pictures beside the entries.
    [[nodiscard]] ListPictures* pictures() const { return m_pictures; }

protected:
    // A drag of an entry carries only which entry of which list it is: it is a move within this list, and no other
    // list or program takes it.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The row a drag of this very list carries, if the data is one.
    [[nodiscard]] std::optional<int> draggedRow(const QMimeData* data) const;
    [[nodiscard]] QByteArray dragOrigin() const;
    // Takes a drag of one of the list's own entries as a move, anything else as files to copy in.
    void answerDrag(QDragMoveEvent* event, bool entering);
    // Where a dragged entry dropped at pos goes: before the entry under pos when over its upper half, else after it.
    [[nodiscard]] int dropRow(const QPoint& pos) const;

    bool m_locked = false;
    QString m_hint;
    ListPictures* m_pictures;
};

// The getting-started panel over the list; a drop on it hides it and hands the files to the list.
class DropPanel final : public QLabel
{
    Q_OBJECT
public:
    DropPanel(ImageListWidget* list, QWidget* parent);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ImageListWidget* m_list;
};
