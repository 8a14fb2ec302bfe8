#pragma once

#include "imagereader/format/ReaderProtocol.h"

#include <QMetaType>
#include <QString>

// How one request to the image-reading helper ended.
struct ReaderOutcome
{
    enum class Kind
    {
        Replied,    // the helper answered: see reply
        Crashed,    // it died (a signal, or an exit) before answering
        TimedOut,   // it took longer than the timeout and was killed
        CpuLimit,   // it used up its processor time
        NotStarted, // it could not be started (detail says why)
        Cancelled,  // we stopped it
        Failed,     // it broke the protocol or its output is not what it announced (detail says how); it was ended
        Killed,     // something outside this program ended it with a signal (detail names the signal)
    };
    Kind kind = Kind::NotStarted;
    imagereader::Reply reply;
    QString detail;
    int timeoutSeconds = imagereader::kDefaultTimeoutSeconds;

    [[nodiscard]] bool ok() const { return kind == Kind::Replied && reply.status == imagereader::Status::Ok; }
};

Q_DECLARE_METATYPE(ReaderOutcome)

// A sentence for the user that names the image and says in plain words why it could not be read. Not for
// Status::WriteFailed, whose words depend on what was being written.
[[nodiscard]] QString describeReadFailure(const QString& imagePath, const ReaderOutcome& outcome);

// For the diagnostics: how a request ended, in a word.
[[nodiscard]] const char* kindName(ReaderOutcome::Kind kind);
