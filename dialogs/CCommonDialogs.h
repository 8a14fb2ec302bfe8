#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

class SystemDialogs;

// One object wrapping the desktop's standard dialogs behind properties and one Show call per dialog.
// Callers set the properties a dialog reads, call its Show operation, test the result and read back.
// Getters carry the property's name, setters "set" + the name.
class CCommonDialogs
{
public:
    // applicationFolder: the folder of the running program (no trailing "/"), the save dialog's fallback start.
    CCommonDialogs(SystemDialogs& dialogs, QString applicationFolder);

    bool FontUnderline() const;
    void setFontUnderline(bool value);
    bool FontItalic() const;
    void setFontItalic(bool value);
    bool FontBold() const;
    void setFontBold(bool value);
    int FontSize() const;
    void setFontSize(int value);
    QString FontName() const;
    void setFontName(const QString& value);
    quint32 Color() const; // 0x00BBGGRR
    void setColor(quint32 color);
    QString DefExt() const;
    void setDefExt(const QString& value);
    QString Title() const;
    void setTitle(const QString& value);
    void Init(QWidget* owner);
    QString Path() const;
    void setPath(const QString& value);
    QString FileTitle() const;
    void setFileTitle(const QString& value);
    QString Filter() const;
    void setFilter(const QString& vNewValue);
    QString Filename() const;
    void setFilename(const QString& sNewVal);

    [[nodiscard]] bool ShowPrinter();
    [[nodiscard]] bool ShowFolder();
    [[nodiscard]] bool ShowColor(bool fullOpen);
    [[nodiscard]] bool ShowFont();
    [[nodiscard]] bool ShowOpen();
    [[nodiscard]] bool ShowPrinterProperties();
    [[nodiscard]] bool ShowSave();

private:
    // Records a confirmed file choice in the fields and as the open dialog's next start.
    void takeChosenFile(const QString& chosen);

    SystemDialogs& m_dialogs;
    QString m_applicationFolder;
    // Where the next open dialog starts: the folder of the last confirmed file, else the current directory.
    QString m_openStartFolder;

    QString m_fileTitle;
    QString m_path;
    QString m_filter;
    QString m_filename;
    quint32 m_color = 0;
    QString m_title;
    QPointer<QWidget> m_owner;
    QString m_defaultExtension;
    QString m_fontName;
    int m_fontSize = 0;
    bool m_fontBold = false;
    bool m_fontItalic = false;
    bool m_fontUnderline = false;
};
