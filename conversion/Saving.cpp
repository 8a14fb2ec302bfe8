#include "conversion/Saving.h"

#include "conversion/RunLog.h"
#include "platform/AtomicReplace.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kTitle = QStringLiteral("Save");

// A write past the file-size limit would otherwise end the program with SIGXFSZ instead of failing with EFBIG.
class IgnoreFileSizeSignal
{
public:
    IgnoreFileSizeSignal()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        m_restore = ::sigaction(SIGXFSZ, &ignore, &m_previous) == 0;
    }
    ~IgnoreFileSizeSignal()
    {
        if (m_restore) {
            ::sigaction(SIGXFSZ, &m_previous, nullptr);
        }
    }
    IgnoreFileSizeSignal(const IgnoreFileSizeSignal&) = delete;
    IgnoreFileSizeSignal& operator=(const IgnoreFileSizeSignal&) = delete;

private:
    struct sigaction m_previous = {};
    bool m_restore = false;
};

} // namespace

QString withPdfExtension(const QString& chosen)
{
    if (chosen.isEmpty()) {
        return chosen;
    }
    const QString name = chosen.mid(chosen.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < name.size() - 1) {
        return chosen;
    }
    if (dot > 0) {
        return chosen + QStringLiteral("pdf"); // "report." becomes "report.pdf"
    }
    return chosen + QStringLiteral(".pdf");
}

StageResult saveDocument(const QString& source, const QString& destination)
{
    FileDescriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (!in.isOpen()) {
        const int cause = errno;
        return StageResult::failure(
            kTitle,
            QCoreApplication::translate("Saving", "The finished PDF could not be read from the temporary folder, so "
                                                  "nothing was saved as %1: %2.")
                .arg(QDir::toNativeSeparators(destination), errnoText(cause)));
    }

    IgnoreFileSizeSignal ignoreFileSizeSignal;
    AtomicReplace file(destination, AtomicReplace::Durability::Synced);
    int cause = file.open();
    if (cause == 0) {
        cause = copyAll(in.get(), file.fd());
    }
    if (cause == 0) {
        cause = file.commit();
    }
    if (cause == 0) {
        qCInfo(lcSave) << "published" << destination;
        return StageResult::success();
    }
    qCInfo(lcSave) << "not published as" << destination << "cause" << cause;
    QString text = QCoreApplication::translate("Saving", "The PDF could not be saved as %1: %2.")
                       .arg(QDir::toNativeSeparators(destination), writeFailureReason(cause));
    if (file.destinationTouched()) {
        text += QCoreApplication::translate("Saving", " The file there may now be incomplete.");
    } else if (file.destinationExisted()) {
        text += QCoreApplication::translate("Saving", " The file that was there is unchanged.");
    }
    return StageResult::failure(kTitle, text);
}
