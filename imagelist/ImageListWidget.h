#pragma once

#include <QLabel>
#include <QListWidget>

class QMimeData;

// The image list: takes dropped files unless a run has locked it.
class ImageListWidget final : public QListWidget
{
    Q_OBJECT
public:
    explicit ImageListWidget(QWidget* parent = nullptr);

    void setLocked(bool locked) { m_locked = locked; }
    // A line shown in the middle of the list while it is empty.
    void setHint(const QString& hint);
    [[nodiscard]] bool isLocked() const { return m_locked; }
    // Appends the dropped files that pass the image test, in the order given. Returns how many joined.
    int takeDrop(const QMimeData* data);
    // The same for paths handed over otherwise (the command line).
    int takePaths(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_locked = false;
    QString m_hint;
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
