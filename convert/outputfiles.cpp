#include "outputfiles.h"

#include "nativepath.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

OutputFiles::~OutputFiles()
{
    close();
}

bool OutputFiles::fail(const QString& message)
{
    error = message;
    close();
    return false;
}

// Why the file `name`, as `status` describes it, cannot be an output of this run: not a
// regular file, the input, or one of the `earlier` outputs (their names and descriptions).
QString
OutputFiles::outputProblem(const QString& name, const struct stat& status, const struct stat* input,
                           const std::vector<std::pair<QString, struct stat>>& earlier) const
{
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("Cannot write %1: it is not a regular file (a pipe or device)")
            .arg(shown(name));
    if (input && sameFile(status, *input))
        return QStringLiteral("Cannot write %1: it is the clip being converted").arg(shown(name));
    for (const auto& other : earlier) {
        if (sameFile(status, other.second))
            return QStringLiteral("Cannot write %1: it is the same file as %2")
                .arg(shown(name), shown(other.first));
    }
    return QString();
}

bool OutputFiles::open(const QStringList& names, const QString& input)
{
    close();
    error.clear();
    struct stat inputStatus = {};
    const struct stat* inputFile =
        !input.isEmpty() && ::stat(NativePath::toBytes(input).constData(), &inputStatus) == 0
            ? &inputStatus
            : nullptr;

    // What the names stand for now: nothing is opened yet, so a refusal changes nothing.
    std::vector<std::pair<QString, struct stat>> existing;
    for (const QString& name : names) {
        struct stat status = {};
        // A new file, or a folder, is left to open() to make or to report.
        if (::stat(NativePath::toBytes(name).constData(), &status) != 0 || S_ISDIR(status.st_mode))
            continue;
        const QString problem = outputProblem(name, status, inputFile, existing);
        if (!problem.isEmpty())
            return fail(problem);
        existing.emplace_back(name, status);
    }

    for (const QString& name : names) {
        if (!openOne(name))
            return false;
    }

    // Checked again on the open files, which no link or rename since can change.
    std::vector<std::pair<QString, struct stat>> opened;
    for (const Entry& entry : entries) {
        struct stat status = {};
        if (::fstat(entry.file->handle(), &status) != 0)
            return fail(QStringLiteral("Cannot open %1: %2").arg(shown(entry.name), systemError()));
        const QString problem = outputProblem(entry.name, status, inputFile, opened);
        if (!problem.isEmpty())
            return fail(problem);
        opened.emplace_back(entry.name, status);
    }
    return true;
}

bool OutputFiles::openOne(const QString& name)
{
    const QByteArray path = NativePath::toBytes(name);
    // Never blocking: a FIFO that appeared since the check would otherwise wait for a reader.
    constexpr int flags = O_WRONLY | O_CLOEXEC | O_NONBLOCK;
    Entry entry;
    entry.name = name;
    int descriptor = ::open(path.constData(), flags | O_CREAT | O_EXCL, 0666);
    entry.created = descriptor >= 0;
    if (descriptor < 0 && errno == EEXIST)
        descriptor = ::open(path.constData(), flags);
    if (descriptor < 0)
        return fail(QStringLiteral("Cannot open %1: %2").arg(shown(name), systemError()));
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);

    entry.file = std::make_unique<QFile>();
    // Unbuffered: a failed write shows at once, not at some later flush, so every frame record
    // is known to be on disk or known to be cut back.
    if (!entry.file->open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered,
                          QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        if (entry.created)
            ::unlink(path.constData());
        return fail(QStringLiteral("Cannot open %1: %2").arg(shown(name), systemError()));
    }
    entries.push_back(std::move(entry));
    return true;
}

QString OutputFiles::shownName(int index) const
{
    return shown(name(index));
}

QString OutputFiles::writeFailure(int index) const
{
    return QStringLiteral("Cannot write %1: %2").arg(shownName(index), systemError());
}

bool OutputFiles::beginWriting()
{
    if (writing)
        return true;
    writing = true;
    for (const Entry& entry : entries) {
        if (!entry.created && !entry.file->resize(0)) {
            error = QStringLiteral("Cannot empty %1: %2")
                        .arg(shown(entry.name), entry.file->errorString());
            return false;
        }
    }
    return true;
}

void OutputFiles::close()
{
    for (Entry& entry : entries) {
        entry.file->close();
        if (entry.created && !writing)
            ::unlink(NativePath::toBytes(entry.name).constData());
    }
    entries.clear();
    writing = false;
}
