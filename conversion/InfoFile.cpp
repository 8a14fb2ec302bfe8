#include "conversion/InfoFile.h"

#include <QCoreApplication>
#include <QFile>

namespace {

QString oneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph) {
            c = QLatin1Char(' ');
        }
    }
    return line;
}

void appendEntry(QByteArray* bytes, const char* key, const QString& value)
{
    bytes->append("InfoBegin\r\nInfoKey: ");
    bytes->append(key);
    bytes->append("\r\nInfoValue: ");
    bytes->append(oneLine(value).toUtf8());
    bytes->append("\r\n");
}

} // namespace

QByteArray infoFileBytes(const DocumentInfo& info)
{
    const QString product = QStringLiteral("Pagewell");
    QByteArray bytes;
    appendEntry(&bytes, "Title", info.title);
    appendEntry(&bytes, "Author", info.author);
    appendEntry(&bytes, "CreationDate", info.creationDate);
    appendEntry(&bytes, "Subject", info.subject);
    appendEntry(&bytes, "Keywords", info.keywords);
    appendEntry(&bytes, "Creator", product);
    appendEntry(&bytes, "Producer", product);
    return bytes;
}

bool writeInfoFile(const QString& path, const DocumentInfo& info, QString* error)
{
    const QByteArray bytes = infoFileBytes(info);
    QFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
    if (written) {
        file.close();
        if (file.error() == QFileDevice::NoError) {
            return true;
        }
    }
    if (error) {
        *error = QCoreApplication::translate("InfoFile",
                                             "The document information could not be written in the temporary folder: "
                                             "%1.")
                     .arg(file.errorString());
    }
    return false;
}
