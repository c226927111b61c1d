#include "outputfiles.h"

#include "fandataset.h"
#include "nativepath.h"

#include <QDir>

#include <cerrno>
#include <cstdlib>
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

// Unbuffered: a failed write shows at once, not at some later flush, so every frame record
// is known to be on disk or known to be cut back.
bool openFile(QFile& file, int descriptor)
{
    if (file.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered,
                  QFileDevice::AutoCloseHandle))
        return true;
    ::close(descriptor);
    return false;
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

bool OutputFiles::open(const QStringList& names, const QString& input, const QStringList& replaced)
{
    close();
    error.clear();
    m_busy = false;
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
    for (const QString& name : replaced) {
        struct stat status = {};
        if (inputFile && ::stat(NativePath::toBytes(name).constData(), &status) == 0 &&
            sameFile(status, *inputFile))
            return fail(QStringLiteral("Cannot replace %1: it is the clip being converted")
                            .arg(shown(name)));
    }

    for (const QString& name : names) {
        if (!openOne(name))
            return false;
    }

    // Checked again on the open files, which no link or rename since can change.
    std::vector<std::pair<QString, struct stat>> opened;
    for (const Entry& entry : entries) {
        struct stat status = {};
        const int descriptor = entry.existing >= 0 ? entry.existing : entry.file->handle();
        if (::fstat(descriptor, &status) != 0)
            return fail(QStringLiteral("Cannot open %1: %2").arg(shown(entry.name), systemError()));
        const QString problem = outputProblem(entry.name, status, inputFile, opened);
        if (!problem.isEmpty())
            return fail(problem);
        opened.emplace_back(entry.name, status);
    }
    m_replaced = replaced;
    return true;
}

bool OutputFiles::openOne(const QString& name)
{
    const QByteArray path = NativePath::toBytes(name);
    // Never blocking: a FIFO that appeared since the check would otherwise wait for a reader.
    constexpr int flags = O_WRONLY | O_CLOEXEC | O_NONBLOCK;
    int descriptor = ::open(path.constData(), flags | O_CREAT | O_EXCL, 0666);
    const bool created = descriptor >= 0;
    if (descriptor < 0 && errno == EEXIST)
        descriptor = ::open(path.constData(), flags);
    if (descriptor < 0)
        return fail(QStringLiteral("Cannot open %1: %2").arg(shown(name), systemError()));
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);

    entries.emplace_back();
    Entry& entry = entries.back();
    entry.name = name;
    entry.created = created;
    // Another run that holds the lock made the file or writes it: it is not this run's to
    // remove.
    if (!FanDataSet::lockFile(descriptor)) {
        ::close(descriptor);
        m_busy = true;
        return fail(QStringLiteral("Cannot write %1: another conversion or save is writing it; "
                                   "wait until it is over")
                        .arg(shown(name)));
    }
    entry.locked = true;
    if (created) {
        entry.file = std::make_unique<QFile>();
        if (!openFile(*entry.file, descriptor))
            return fail(QStringLiteral("Cannot open %1: %2").arg(shown(name), systemError()));
        return true;
    }
    entry.existing = descriptor;
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0)
        return fail(QStringLiteral("Cannot open %1: %2").arg(shown(name), systemError()));
    return openFresh(entry, status);
}

// The new file that takes the first records of the existing file of `entry`, described by
// `existing`: beside the file itself (where a link leads), so that a rename in one folder
// puts it in its place, with the old file's permissions.
bool OutputFiles::openFresh(Entry& entry, const struct stat& existing)
{
    char* real = ::realpath(NativePath::toBytes(entry.name).constData(), nullptr);
    if (!real)
        return fail(QStringLiteral("Cannot open %1: %2").arg(shown(entry.name), systemError()));
    entry.target = real;
    std::free(real);
    const int slash = entry.target.lastIndexOf('/');
    // Hidden, and short enough for any file name the folder already holds.
    QByteArray pattern = entry.target.left(slash + 1) + '.' +
                         entry.target.mid(slash + 1).left(200) + QByteArrayLiteral(".XXXXXX");
    const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor < 0)
        return fail(QStringLiteral("Cannot replace %1: no new file can be made beside it (%2); "
                                   "it is left as it is")
                        .arg(shown(entry.name), systemError()));
    entry.fresh = pattern;
    entry.file = std::make_unique<QFile>();
    if (!openFile(*entry.file, descriptor))
        return fail(QStringLiteral("Cannot open %1: %2").arg(shown(entry.name), systemError()));
    FanDataSet::lockFile(descriptor);
    if (::fchmod(descriptor, existing.st_mode & 07777) != 0)
        return fail(QStringLiteral("Cannot replace %1: %2").arg(shown(entry.name), systemError()));
    // Only the owner or root may hand a file over; anyone else's new file stays theirs.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
        (void)!::fchown(descriptor, existing.st_uid, existing.st_gid);
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

bool OutputFiles::commit()
{
    if (m_committed)
        return true;
    for (Entry& entry : entries) {
        if (entry.fresh.isEmpty())
            continue;
        if (::rename(entry.fresh.constData(), entry.target.constData()) != 0) {
            error = QStringLiteral("Cannot replace %1: %2").arg(shown(entry.name), systemError());
            return false;
        }
        entry.fresh.clear();
        ::close(entry.existing);
        entry.existing = -1;
    }
    m_committed = true;
    return removeReplaced();
}

bool OutputFiles::removeReplaced()
{
    for (const QString& name : qAsConst(m_replaced)) {
        if (::unlink(NativePath::toBytes(name).constData()) != 0 && errno != ENOENT) {
            error = QStringLiteral("Cannot remove %1, a file of an older set of this name: %2")
                        .arg(shown(name), systemError());
            return false;
        }
    }
    m_replaced.clear();
    return true;
}

bool OutputFiles::stillInPlace()
{
    if (!m_committed)
        return true;
    for (const Entry& entry : entries) {
        struct stat named = {};
        struct stat written = {};
        if (::stat(NativePath::toBytes(entry.name).constData(), &named) != 0 ||
            ::fstat(entry.file->handle(), &written) != 0 || !sameFile(named, written)) {
            error = QStringLiteral("Cannot write %1: it was removed or replaced during the run, "
                                   "so the data written is lost")
                        .arg(shown(entry.name));
            return false;
        }
    }
    return true;
}

void OutputFiles::close()
{
    for (Entry& entry : entries) {
        if (entry.file)
            entry.file->close();
        if (entry.existing >= 0)
            ::close(entry.existing);
        if (m_committed)
            continue;
        if (entry.created && entry.locked)
            ::unlink(NativePath::toBytes(entry.name).constData());
        if (!entry.fresh.isEmpty())
            ::unlink(entry.fresh.constData());
    }
    entries.clear();
    m_replaced.clear();
    m_committed = false;
}

QString OutputFiles::writeWhole(const QString& name, const QByteArray& contents,
                                const QString& input)
{
    OutputFiles files;
    if (!files.open({name}, input))
        return files.errorString();
    if (files.file(0)->write(contents) != contents.size())
        return files.writeFailure(0);
    if (!files.commit())
        return files.errorString();
    return QString();
}
