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
    void setFontUnderline(bool vData);
    bool FontItalic() const;
    void setFontItalic(bool vData);
    bool FontBold() const;
    void setFontBold(bool vData);
    int FontSize() const;
    void setFontSize(int vData);
    QString FontName() const;
    void setFontName(const QString& vData);
    quint32 Color() const; // 0x00BBGGRR
    void setColor(quint32 nNew);
    QString DefExt() const;
    void setDefExt(const QString& vData);
    QString Title() const;
    void setTitle(const QString& vData);
    void Init(QWidget* OwnerForm);
    QString Path() const;
    void setPath(const QString& vData);
    QString FileTitle() const;
    void setFileTitle(const QString& vData);
    QString Filter() const;
    void setFilter(const QString& vNewValue);
    QString Filename() const;
    void setFilename(const QString& sNewVal);

    [[nodiscard]] bool ShowPrinter();
    [[nodiscard]] bool ShowFolder();
    [[nodiscard]] bool ShowColor(bool FullOpen);
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

    QString m_FileTitle;
    QString m_Path;
    QString m_Filter;
    QString m_Filename;
    quint32 m_Color = 0;
    QString m_Title;
    QPointer<QWidget> m_owner;
    QString m_DefExt;
    QString m_FontName;
    int m_FontSize = 0;
    bool m_FontBold = false;
    bool m_FontItalic = false;
    bool m_FontUnderline = false;
};
