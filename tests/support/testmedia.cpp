#include "testmedia.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace TestMedia {

namespace {

// Started with posix_spawn rather than QProcess: under qemu-user (the ARM64 check) QProcess
// cannot start the host's ffmpeg, while a plain spawn can.
bool runFfmpeg(const QStringList& arguments, QByteArray* output, QString* error)
{
    const QStringList all =
        QStringList{"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y"} + arguments;
    std::vector<QByteArray> encoded;
    for (const QString& argument : all)
        encoded.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        if (error)
            *error = "ffmpeg could not be started";
        return false;
    }

    // Media for a test takes seconds at most; a tool that hangs must not hang the test.
    QByteArray collected[2];
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    QElapsedTimer clock;
    clock.start();
    bool timedOut = false;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (clock.hasExpired(120000)) {
            timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, 1000) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[65536];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                collected[i].append(buffer, int(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0)
            close(fd.fd);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const bool ok = !timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok && error)
        *error = timedOut ? QString("ffmpeg did not finish") : QString::fromLocal8Bit(collected[1]);
    if (output)
        *output = collected[0];
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
