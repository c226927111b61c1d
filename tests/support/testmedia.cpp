#include "testmedia.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

namespace TestMedia {

namespace {

bool runFfmpeg(const QStringList& arguments, QByteArray* output, QString* error)
{
    QProcess process;
    process.start("ffmpeg",
                  QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-y"} + arguments);
    if (!process.waitForStarted(30000)) {
        if (error)
            *error = "ffmpeg could not be started";
        return false;
    }
    process.closeWriteChannel();
    // Media for a test takes seconds at most; a tool that hangs must not hang the test.
    QByteArray collected;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        if (clock.hasExpired(120000)) {
            process.kill();
            process.waitForFinished();
            if (error)
                *error = "ffmpeg did not finish";
            return false;
        }
        process.waitForReadyRead(1000);
        collected += process.readAllStandardOutput();
    }
    collected += process.readAllStandardOutput();
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok && error)
        *error = QString::fromLocal8Bit(process.readAllStandardError());
    if (output)
        *output = collected;
    return ok;
}

// The moving test pattern, `frames` pictures at `rate`, coded with `codec` into `path`.
QString testPattern(const QString& path, const QString& rate, int frames, const QSize& size,
                    const QStringList& codec)
{
    const QString source =
        QString("testsrc=size=%1x%2:rate=%3").arg(size.width()).arg(size.height()).arg(rate);
    const bool made =
        runFfmpeg(QStringList{"-f", "lavfi", "-i", source, "-frames:v", QString::number(frames)} +
                      codec + QStringList{path},
                  nullptr, nullptr);
    return made ? path : QString();
}

} // namespace

bool ffmpeg(const QStringList& arguments, QString* error)
{
    return runFfmpeg(arguments, nullptr, error);
}

QString pngClip(const QString& directory, const QString& name, const QString& rate, int frames,
                const QSize& size)
{
    return testPattern(directory + "/" + name, rate, frames, size,
                       {"-c:v", "png", "-pix_fmt", "rgb24"});
}

QString reusedClip(const QString& directory, const QString& name, const QString& rate, int frames,
                   const QSize& size, const QStringList& codec)
{
    const QString path = directory + "/" + name;
    if (QFile::exists(path))
        return path;
    if (codec.isEmpty())
        return pngClip(directory, name, rate, frames, size);
    return testPattern(path, rate, frames, size, codec);
}

QByteArray rgbFrames(const QString& path, const QStringList& extraArguments,
                     const QStringList& inputArguments)
{
    QByteArray output;
    QStringList arguments = inputArguments + QStringList{"-i", path};
    arguments << extraArguments
              << QStringList{"-f", "rawvideo", "-pix_fmt", "rgb24", "-vsync", "passthrough", "-"};
    if (!runFfmpeg(arguments, &output, nullptr))
        return QByteArray();
    return output;
}

QString rotatedClip(const QString& source, const QString& path, int degrees)
{
    if (!ffmpeg({"-i", source, "-c", "copy", "-metadata:s:v:0",
                 QStringLiteral("rotate=%1").arg(degrees), path}))
        return QString();
    return path;
}

QString filteredClip(const QString& source, const QString& path, const QString& filters,
                     const QStringList& codec)
{
    if (!ffmpeg(QStringList{"-noautorotate", "-i", source, "-vf", filters} + codec +
                QStringList{path}))
        return QString();
    return path;
}

} // namespace TestMedia
