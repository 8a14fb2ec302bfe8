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
    return m_fontUnderline;
}

void CCommonDialogs::setFontUnderline(bool value)
{
    m_fontUnderline = value;
}

bool CCommonDialogs::FontItalic() const
{
    return m_fontItalic;
}

void CCommonDialogs::setFontItalic(bool value)
{
    m_fontItalic = value;
}

bool CCommonDialogs::FontBold() const
{
    return m_fontBold;
}

void CCommonDialogs::setFontBold(bool value)
{
    m_fontBold = value;
}

int CCommonDialogs::FontSize() const
{
    return m_fontSize;
}

void CCommonDialogs::setFontSize(int value)
{
    m_fontSize = value;
}

QString CCommonDialogs::FontName() const
{
    return m_fontName;
}

void CCommonDialogs::setFontName(const QString& value)
{
    m_fontName = value;
}

quint32 CCommonDialogs::Color() const
{
    return m_color;
}

void CCommonDialogs::setColor(quint32 color)
{
    m_color = color;
}

QString CCommonDialogs::DefExt() const
{
    return m_defaultExtension;
}

void CCommonDialogs::setDefExt(const QString& value)
{
    m_defaultExtension = value;
}

QString CCommonDialogs::Title() const
{
    return textBeforeNul(m_title);
}

void CCommonDialogs::setTitle(const QString& value)
{
    m_title = value;
}

void CCommonDialogs::Init(QWidget* owner)
{
    m_owner = owner;
}

QString CCommonDialogs::Path() const
{
    return textBeforeNul(m_path);
}

void CCommonDialogs::setPath(const QString& value)
{
    m_path = value;
}

QString CCommonDialogs::FileTitle() const
{
    return textBeforeNul(m_fileTitle);
}

void CCommonDialogs::setFileTitle(const QString& value)
{
    m_fileTitle = value;
}

QString CCommonDialogs::Filter() const
{
    return m_filter;
}

void CCommonDialogs::setFilter(const QString& vNewValue)
{
    m_filter = vNewValue;
}

QString CCommonDialogs::Filename() const
{
    return textBeforeNul(m_filename);
}

void CCommonDialogs::setFilename(const QString& sNewVal)
{
    m_filename = sNewVal;
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
    m_path = *chosen;
    m_filename.clear();
    m_fileTitle.clear();
    return true;
}

bool CCommonDialogs::ShowColor(bool fullOpen)
{
    const std::optional<QColor> chosen = m_dialogs.color(m_owner.data(), colorFromColorRef(m_color), fullOpen);
    if (!chosen) {
        return false;
    }
    m_color = colorRefFromColor(*chosen);
    return true;
}

bool CCommonDialogs::ShowFont()
{
    FontRequest request;
    request.family = fontRequestFamily(m_fontName);
    request.pixelHeight = fontPixelHeight(m_fontSize, m_dialogs.screenDpiY());
    request.bold = m_fontBold;
    request.italic = m_fontItalic;
    request.underline = m_fontUnderline;
    request.color = colorFromColorRef(m_color);

    const std::optional<FontChoice> chosen = m_dialogs.font(m_owner.data(), request);
    if (!chosen) {
        return false;
    }
    m_fontName = chosen->family;
    m_fontBold = chosen->bold;
    m_fontItalic = chosen->italic;
    m_fontSize = chosen->pointSizeTenths / 10;
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
    request.filters = qtNameFilters(parseFileTypeFilter(m_filter));
    if (!request.filters.isEmpty()) {
        request.selectedFilter = 0;
    }
    request.defaultSuffix = m_defaultExtension;

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
    m_path = start;

    QList<FileTypeFilter> types = parseFileTypeFilter(m_filter);
    if (m_filter.trimmed().isEmpty()) {
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
    m_filename = chosen;
    m_path = folderOfFile(chosen);
    m_fileTitle = nameOfFile(chosen);
    if (!m_path.isEmpty()) {
        m_openStartFolder = m_path;
    }
}
