#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

struct FileDialogRequest
{
    QString caption;
    QString startFolder;
    QString startName;
    QStringList filters;    // Qt filter strings: "Description (patterns)"
    int selectedFilter = -1; // index into filters, -1 for none
    QString defaultSuffix;  // without dot; empty for none
};

struct FontChoice
{
    QString family;
    int pointSizeTenths = 0; // the chosen size in tenths of a point
    bool bold = false;
    bool italic = false;
};

struct FontRequest
{
    QString family;
    int pixelHeight = 0; // negative: character height in pixels, as fonts are asked for by height
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color;
};

// The desktop's standard dialogs. Every call is modal to owner and returns nothing on cancel.
class SystemDialogs
{
public:
    virtual ~SystemDialogs() = default;
    [[nodiscard]] virtual std::optional<QString> openFile(QWidget* owner, const FileDialogRequest& request) = 0;
    [[nodiscard]] virtual std::optional<QString> saveFile(QWidget* owner, const FileDialogRequest& request) = 0;
    [[nodiscard]] virtual std::optional<QString> folder(QWidget* owner, const QString& caption) = 0;
    [[nodiscard]] virtual std::optional<QColor> color(QWidget* owner, const QColor& initial, bool fullOpen) = 0;
    [[nodiscard]] virtual std::optional<FontChoice> font(QWidget* owner, const FontRequest& request) = 0;
    // The print dialog; true when confirmed.
    [[nodiscard]] virtual bool printer(QWidget* owner) = 0;
    // The default printer's own settings; false when there is no printer or the dialog is cancelled.
    [[nodiscard]] virtual bool printerProperties(QWidget* owner) = 0;
    // Vertical resolution of the screen in dots per inch.
    [[nodiscard]] virtual int screenDpiY() const = 0;
};
