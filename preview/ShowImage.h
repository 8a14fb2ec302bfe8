#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>

class PropertyStore;

// The drawing surface: keeps what was painted on it until it is cleared or painted again.
class ShowImageSurface final : public QFrame
{
    Q_OBJECT
public:
    explicit ShowImageSurface(QWidget* parent);
    void clearTo(const QColor& color);
    void paintPicture(const QImage& picture, const QRect& target, const QColor& background);

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
    QPixmap m_canvas;
    QColor m_canvasColor;
};

// Shows one picture fitted into its rectangle, proportions kept, centred along the axis with room to spare.
class ShowImage final : public QWidget
{
    Q_OBJECT
public:
    static constexpr quint32 kDefaultBackColor = 0x8000000F; // the system's button-face colour
    static constexpr int kDefaultBorderStyle = 1;

    explicit ShowImage(QWidget* parent = nullptr);

    [[nodiscard]] int BorderStyle() const;
    void setBorderStyle(int New_BorderStyle);
    void Cls();
    [[nodiscard]] quint32 BackColor() const;
    void setBackColor(quint32 New_BackColor);
    [[nodiscard]] QImage Picture() const;
    void setPicture(const QImage& New_Picture);
    void showImageInfo();
    // Loads and shows the file; on failure returns false with the loader's error and keeps what was shown.
    [[nodiscard]] bool loadimg(const QString& nome, QString* error = nullptr);

    void ReadProperties(const PropertyStore& store);
    void WriteProperties(PropertyStore& store) const;

    // What the surface holds now, for tests and screenshots.
    [[nodiscard]] QImage surfaceImage() const;
    [[nodiscard]] static QColor colorFromValue(quint32 value, const QPalette& palette);

Q_SIGNALS:
    void DblClick();
    void Click();
    void MouseMove(int Button, int Shift, float X, float Y);
    void MouseDown(int Button, int Shift, float X, float Y);
    // The container should save the control's settings again.
    void PropertyChanged(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ShowImageSurface* m_immagine;
    QImage m_temp; // the held picture at its natural size
    quint32 m_backColor = kDefaultBackColor;
};
