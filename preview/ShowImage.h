#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class PreviewRead;
class PropertyStore;
class ShowImageSurface;

// A sheet of paper a picture is shown on, and the picture's rectangle on it from its top-left corner, in one unit.
struct PreviewSheet
{
    QSizeF size;
    QRectF picture;
};

// The sheet a picture of this size (as shown, turned) goes on; nothing when it makes a page of its own size.
using SheetLayout = std::function<std::optional<PreviewSheet>(QSize picture)>;

// Shows one picture fitted into its rectangle, proportions kept, centred along the axis with room to spare.
// showImage reads the file in the isolated image reader, at the size the preview needs in device pixels and
// upright, without holding up the window.
class ShowImage final : public QWidget
{
    Q_OBJECT
public:
    static constexpr quint32 kDefaultBackColor = 0x8000000F; // the system's button-face colour
    static constexpr int kDefaultBorderStyle = 1;

    explicit ShowImage(QWidget* parent = nullptr);
    ~ShowImage() override;

    [[nodiscard]] int BorderStyle() const;
    void setBorderStyle(int style);
    void clear(); // blanks the preview to its background
    [[nodiscard]] quint32 BackColor() const;
    void setBackColor(quint32 color);
    [[nodiscard]] QImage Picture() const;
    void setPicture(const QImage& picture);
    void drawPicture(); // draws the held picture fitted into the preview again
    // The picture shown turned clockwise by this many quarter turns, as its page will be; drawn again at once.
    void setQuarterTurns(int quarterTurns);
    [[nodiscard]] int quarterTurns() const { return m_quarterTurns; }
    // Shows the picture on the sheet the layout gives it, placed as on its page; drawn again at once. An empty
    // layout shows the picture alone.
    void setSheetLayout(SheetLayout layout);
    // Starts reading the file and returns at once; loadFinished tells how it went. A newer showImage, clear or a new
    // Picture supersedes a read still under way. A file that cannot be read leaves what was shown.
    void showImage(const QString& path);

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
    // The read that showImage started has ended: the picture is shown, or error says why the file could not be read.
    void loadFinished(const QString& path, const QString& error);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Reading
    {
        QString path;
        QSize box;    // device pixels the picture was asked to fit in
        bool sharpen; // a re-read of the held picture for a larger size, not a showImage
    };

    [[nodiscard]] bool isLoading() const;
    [[nodiscard]] QSize deviceBox() const;
    void startReading(const Reading& reading);
    void stopReading();
    void pictureRead(const QString& path, const QImage& image, const QString& reason);
    void sharpenIfEnlarged();

    ShowImageSurface* m_surface;
    PreviewRead* m_reader;
    QImage m_picture;      // the held picture, read at the size it is shown at
    QString m_picturePath; // the file it came from (empty for a picture given as Picture)
    QSize m_pictureBox;    // the device size it was read for
    std::optional<Reading> m_reading;
    QTimer m_sharpenDelay; // a drag of the window's edge asks for one re-read, not one per step
    QTimer m_noteDelay;    // a quick read shows no note at all
    quint32 m_backColor = kDefaultBackColor;
    int m_quarterTurns = 0;
    SheetLayout m_sheetLayout;
};
