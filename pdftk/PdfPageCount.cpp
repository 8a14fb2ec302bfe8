#include "pdftk/PdfPageCount.h"

#include <QCoreApplication>
#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>

#include <exception>

qint64 pdfPageCount(const QString& path, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error) {
            *error = why;
        }
        return qint64(-1);
    };
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        // A file that needs repairing is not a good output; and repairing means reading all of it.
        pdf.setAttemptRecovery(false);
        pdf.processFile(QFile::encodeName(path).constData());
        QPDFObjectHandle count = pdf.getRoot().getKey("/Pages").getKey("/Count");
        if (!count.isInteger() || count.getIntValue() < 0) {
            return fail(QCoreApplication::translate("PdfPageCount", "it has no page tree"));
        }
        return count.getIntValue();
    } catch (const QPDFExc& e) {
        return fail(QString::fromStdString(e.getMessageDetail())); // without the file's name: it is ours, not the user's
    } catch (const std::exception& e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
}
