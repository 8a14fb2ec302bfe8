#include "dialogs/CCommonDialogs.h"

#include "dialogs/DialogFilters.h"
#include "dialogs/DialogValues.h"
#include "platform/SystemDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

// The longest starting name the open dialog takes. The save dialog gives back any path: whether the file system
// can hold it is for the save to find out and to say.
constexpr qsizetype kMaxOpenStartName = 260;

bool canList(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

CCommonDialogs::CCommonDialogs(SystemDialogs& dialogs, QString applicationFolder)
    : m_dialogs(dialogs), m_applicationFolder(std::move(applicationFolder))
{
}

bool CCommonDialogs::FontUnderline() const
{
    return m_FontUnderline;
}

void CCommonDialogs::setFontUnderline(bool vData)
{
    m_FontUnderline = vData;
}

bool CCommonDialogs::FontItalic() const
{
    return m_FontItalic;
}

void CCommonDialogs::setFontItalic(bool vData)
{
    m_FontItalic = vData;
}

bool CCommonDialogs::FontBold() const
{
    return m_FontBold;
}

void CCommonDialogs::setFontBold(bool vData)
{
    m_FontBold = vData;
}

int CCommonDialogs::FontSize() const
{
    return m_FontSize;
}

void CCommonDialogs::setFontSize(int vData)
{
    m_FontSize = vData;
}

QString CCommonDialogs::FontName() const
{
    return m_FontName;
}

void CCommonDialogs::setFontName(const QString& vData)
{
    m_FontName = vData;
}

quint32 CCommonDialogs::Color() const
{
    return m_Color;
}

void CCommonDialogs::setColor(quint32 nNew)
{
    m_Color = nNew;
}

QString CCommonDialogs::DefExt() const
{
    return m_DefExt;
}

void CCommonDialogs::setDefExt(const QString& vData)
{
    m_DefExt = vData;
}

QString CCommonDialogs::Title() const
{
    return textBeforeNul(m_Title);
}

void CCommonDialogs::setTitle(const QString& vData)
{
    m_Title = vData;
}

void CCommonDialogs::Init(QWidget* OwnerForm)
{
    m_owner = OwnerForm;
}

QString CCommonDialogs::Path() const
{
    return textBeforeNul(m_Path);
}

void CCommonDialogs::setPath(const QString& vData)
{
    m_Path = vData;
}

QString CCommonDialogs::FileTitle() const
{
    return textBeforeNul(m_FileTitle);
}

void CCommonDialogs::setFileTitle(const QString& vData)
{
    m_FileTitle = vData;
}

QString CCommonDialogs::Filter() const
{
    return m_Filter;
}

void CCommonDialogs::setFilter(const QString& vNewValue)
{
    m_Filter = vNewValue;
}

QString CCommonDialogs::Filename() const
{
    return textBeforeNul(m_Filename);
}

void CCommonDialogs::setFilename(const QString& sNewVal)
{
    m_Filename = sNewVal;
}

bool CCommonDialogs::ShowPrinter()
{
    return m_dialogs.printer(m_owner.data());
}

bool CCommonDialogs::ShowFolder()
{
    const std::optional<QString> chosen = m_dialogs.folder(m_owner.data(), Title());
    if (!chosen) {
        return false;
    }
    m_Path = *chosen;
    m_Filename.clear();
    m_FileTitle.clear();
    return true;
}

bool CCommonDialogs::ShowColor(bool FullOpen)
{
    const std::optional<QColor> chosen = m_dialogs.color(m_owner.data(), colorFromColorRef(m_Color), FullOpen);
    if (!chosen) {
        return false;
    }
    m_Color = colorRefFromColor(*chosen);
    return true;
}

bool CCommonDialogs::ShowFont()
{
    FontRequest request;
    request.family = fontRequestFamily(m_FontName);
    request.pixelHeight = fontPixelHeight(m_FontSize, m_dialogs.screenDpiY());
    request.bold = m_FontBold;
    request.italic = m_FontItalic;
    request.underline = m_FontUnderline;
    request.color = colorFromColorRef(m_Color);

    const std::optional<FontChoice> chosen = m_dialogs.font(m_owner.data(), request);
    if (!chosen) {
        return false;
    }
    m_FontName = chosen->family;
    m_FontBold = chosen->bold;
    m_FontItalic = chosen->italic;
    m_FontSize = chosen->pointSizeTenths / 10;
    return true;
}

bool CCommonDialogs::ShowOpen()
{
    FileDialogRequest request;
    request.startName = Filename();
    if (request.startName.size() > kMaxOpenStartName) {
        return false;
    }
    request.caption = Title();
    // The folder of the last confirmed file, as the process's current directory would have become; the
    // directory itself is left alone, it belongs to the whole program.
    request.startFolder = m_openStartFolder.isEmpty() ? QDir::currentPath() : m_openStartFolder;
    request.filters = qtNameFilters(parseFileTypeFilter(m_Filter));
    if (!request.filters.isEmpty()) {
        request.selectedFilter = 0;
    }
    request.defaultSuffix = m_DefExt;

    const std::optional<QString> chosen = m_dialogs.openFile(m_owner.data(), request);
    if (!chosen) {
        return false;
    }
    takeChosenFile(*chosen);
    return true;
}

bool CCommonDialogs::ShowPrinterProperties()
{
    return m_dialogs.printerProperties(m_owner.data());
}

bool CCommonDialogs::ShowSave()
{
    // The start folder is settled and kept in Path before the dialog opens, whatever the user does next.
    QString start = Path();
    if (start.trimmed().isEmpty()) {
        start = m_applicationFolder;
    } else {
        if (!start.endsWith(QLatin1Char('/'))) {
            start += QLatin1Char('/');
        }
        if (!canList(start)) {
            start = m_applicationFolder;
        }
    }
    m_Path = start;

    QList<FileTypeFilter> types = parseFileTypeFilter(m_Filter);
    if (m_Filter.trimmed().isEmpty()) {
        types = parseFileTypeFilter(QStringLiteral("*.*|*.*"));
    }

    FileDialogRequest request;
    request.caption = QCoreApplication::translate("CCommonDialogs", "Save");
    request.startFolder = start;
    request.filters = qtNameFilters(types);
    if (!types.isEmpty()) {
        request.selectedFilter = 0;
        request.defaultSuffix = defaultSuffix(types.constFirst());
    }

    const std::optional<QString> chosen = m_dialogs.saveFile(m_owner.data(), request);
    if (!chosen) {
        return false;
    }
    takeChosenFile(*chosen);
    return true;
}

void CCommonDialogs::takeChosenFile(const QString& chosen)
{
    m_Filename = chosen;
    m_Path = folderOfFile(chosen);
    m_FileTitle = nameOfFile(chosen);
    if (!m_Path.isEmpty()) {
        m_openStartFolder = m_Path;
    }
}
