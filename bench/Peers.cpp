#include "bench/Peers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

PeerResult runPeer(const QString& program, const QStringList& arguments, const QString& outFile,
                   const QProcessEnvironment& environment)
{
    PeerResult result;
    if (program.isEmpty()) {
        result.error = QStringLiteral("not installed");
        return result;
    }
    QFile::remove(outFile);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1)) {
        result.error = process.errorString();
        return result;
    }
    result.seconds = double(clock.nsecsElapsed()) / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || !QFileInfo(outFile).isFile()) {
        result.error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed().left(300);
        return result;
    }
    result.bytes = QFileInfo(outFile).size();
    result.ok = true;
    return result;
}

} // namespace

PeerResult runPagewellTerminal(const QStringList& images, int quality, bool original, const QString& outFile)
{
    QStringList arguments{QStringLiteral("--quiet"), QStringLiteral("--quality"), QString::number(quality)};
    if (original) {
        arguments << QStringLiteral("--original");
    }
    return runPeer(QStringLiteral(PAGEWELL_PROGRAM),
                   arguments + QStringList{QStringLiteral("-o"), outFile, QStringLiteral("--")} + images, outFile,
                   QProcessEnvironment::systemEnvironment());
}

PeerResult runImg2pdf(const QStringList& images, const QString& outFile)
{
    return runPeer(QStandardPaths::findExecutable(QStringLiteral("img2pdf")),
                   QStringList{QStringLiteral("-o"), outFile} + images, outFile,
                   QProcessEnvironment::systemEnvironment());
}

PeerResult runMagick(const QStringList& images, int quality, const QString& outFile, const QString& configFolder)
{
    // The distribution's program itself, not a wrapper that some setups put earlier on PATH.
    QString program = QStringLiteral("/usr/bin/convert");
    if (!QFileInfo(program).isExecutable()) {
        program = QStandardPaths::findExecutable(QStringLiteral("convert"));
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MAGICK_CONFIGURE_PATH"), configFolder + QStringLiteral("/ImageMagick"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
    return runPeer(program, images + QStringList{QStringLiteral("-quality"), QString::number(quality), outFile},
                   outFile, environment);
}
