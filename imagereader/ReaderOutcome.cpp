#include "imagereader/ReaderOutcome.h"

#include "platform/PosixFile.h"

#include <QCoreApplication>

using imagereader::Status;

const char* kindName(ReaderOutcome::Kind kind)
{
    switch (kind) {
    case ReaderOutcome::Kind::Replied:
        return "replied";
    case ReaderOutcome::Kind::Crashed:
        return "crashed";
    case ReaderOutcome::Kind::TimedOut:
        return "timed out";
    case ReaderOutcome::Kind::CpuLimit:
        return "used up its processor time";
    case ReaderOutcome::Kind::NotStarted:
        return "not started";
    case ReaderOutcome::Kind::Cancelled:
        return "cancelled";
    case ReaderOutcome::Kind::Failed:
        return "failed";
    case ReaderOutcome::Kind::Killed:
        return "killed from outside";
    }
    return "?";
}

QString describeReadFailure(const QString& imagePath, const ReaderOutcome& outcome)
{
    const QString cannot = QCoreApplication::translate("ImageReader", "The image \"%1\" could not be read: %2.");
    const QString detail = QString::fromUtf8(outcome.reply.detail);
    switch (outcome.kind) {
    case ReaderOutcome::Kind::Replied:
        break;
    case ReaderOutcome::Kind::Crashed:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "the image is damaged (the reader stopped unexpectedly)"));
    case ReaderOutcome::Kind::TimedOut:
        return cannot.arg(imagePath,
                          QCoreApplication::translate("ImageReader", "reading the image took longer than %1 s")
                              .arg(outcome.timeoutSeconds));
    case ReaderOutcome::Kind::CpuLimit:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "reading the image used more processor time than this program "
                                                        "allows (%1 s)")
                                         .arg(imagereader::kCpuReserveSeconds));
    case ReaderOutcome::Kind::NotStarted:
        return cannot.arg(imagePath,
                          QCoreApplication::translate("ImageReader", "the image reader could not be started (%1)")
                              .arg(outcome.detail));
    case ReaderOutcome::Kind::Cancelled:
        return cannot.arg(imagePath, QCoreApplication::translate("ImageReader", "reading was stopped"));
    case ReaderOutcome::Kind::Failed:
        return cannot.arg(
            imagePath, QCoreApplication::translate("ImageReader", "the image reader failed (%1)").arg(outcome.detail));
    case ReaderOutcome::Kind::Killed:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "the image reader was ended from outside this program (%1)")
                                         .arg(outcome.detail));
    }
    switch (outcome.reply.status) {
    case Status::Ok:
        return {};
    case Status::NotAnImage:
        if (!detail.isEmpty()) {
            return QCoreApplication::translate("ImageReader", "\"%1\" is not an image this program can read: %2.")
                .arg(imagePath, detail);
        }
        return QCoreApplication::translate("ImageReader", "\"%1\" is not an image this program can read.")
            .arg(imagePath);
    case Status::Damaged: {
        QString text = QCoreApplication::translate(
                           "ImageReader", "\"%1\" is not an image this program can read: its %2 data is damaged or "
                                          "incomplete")
                           .arg(imagePath, QString::fromLatin1(outcome.reply.format));
        if (!detail.isEmpty()) {
            text += QStringLiteral(" (%1)").arg(detail);
        }
        return text + QLatin1Char('.');
    }
    case Status::TooLarge:
        return cannot.arg(imagePath, detail);
    case Status::NoMemory:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "it needs more memory than this program gives one image"));
    case Status::WriteFailed:
        return cannot.arg(imagePath, QCoreApplication::translate("ImageReader", "its picture could not be written (%1)")
                                         .arg(errnoText(outcome.reply.error)));
    case Status::BadRequest:
        break;
    }
    return cannot.arg(imagePath,
                      QCoreApplication::translate("ImageReader", "the image reader did not understand the request"));
}
