#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>

// The preview's drawing surface: keeps what was painted on it until it is cleared or painted again. It paints in
// device pixels, so a picture read at the screen's resolution is shown pixel for pixel.
class ShowImageSurface final : public QFrame
{
    Q_OBJECT
public:
    explicit ShowImageSurface(QWidget* parent);
    void clearTo(const QColor& color);
    // target is in the surface's coordinates; the picture is stretched into it unless it already has (within a
    // pixel) the target's size in device pixels, in which case it is drawn as it is.
    void paintPicture(const QImage& picture, const QRect& target, const QColor& background);
    // The same on a white sheet of paper with a thin edge, the sheet in the surface's coordinates.
    void paintOnSheet(const QImage& picture, const QRect& sheet, const QRect& target, const QColor& background);
    // A note over the picture while a slow read is under way; not part of what the surface keeps.
    void setLoadingNote(bool shown);
    [[nodiscard]] bool loadingNoteShown() const { return m_loadingNote; }

Q_SIGNALS:
    void clicked();
    void doubleClicked();
    void mouseMoved(int button, int shift, float x, float y);
    void mousePressed(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void blankCanvas(const QColor& color);
    void drawPicture(const QImage& picture, const QRect& target);

    QPixmap m_canvas;
    QColor m_canvasColor;
    bool m_loadingNote = false;
};
