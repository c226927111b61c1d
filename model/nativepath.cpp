#include "nativepath.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace NativePath {

namespace {

constexpr char16_t escapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when the bytes there
// are not one (a stray continuation byte, a truncated or overlong sequence, a surrogate, or
// a code point beyond U+10FFFF).
int validSequence(const QByteArray& bytes, int at, char32_t* codePoint)
{
    const auto byte = [&](int i) { return uchar(bytes.at(i)); };
    const uchar lead = byte(at);
    int length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (byte(at + i) & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

void appendUtf8(QByteArray& out, char32_t value)
{
    if (value < 0x80) {
        out.append(char(value));
    } else if (value < 0x800) {
        out.append(char(0xC0 | value >> 6));
        out.append(char(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.append(char(0xE0 | value >> 12));
        out.append(char(0x80 | (value >> 6 & 0x3F)));
        out.append(char(0x80 | (value & 0x3F)));
    } else {
        out.append(char(0xF0 | value >> 18));
        out.append(char(0x80 | (value >> 12 & 0x3F)));
        out.append(char(0x80 | (value >> 6 & 0x3F)));
        out.append(char(0x80 | (value & 0x3F)));
    }
}

} // namespace

QString fromBytes(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (int at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const int length = validSequence(bytes, at, &codePoint);
        if (length == 0) {
            text.append(QChar(char16_t(escapeBase + uchar(bytes.at(at)))));
            at += 1;
            continue;
        }
        if (codePoint >= 0x10000) {
            text.append(QChar::highSurrogate(codePoint));
            text.append(QChar::lowSurrogate(codePoint));
        } else {
            text.append(QChar(char16_t(codePoint)));
        }
        at += length;
    }
    return text;
}

QByteArray toBytes(const QString& path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    for (int i = 0; i < path.size(); ++i) {
        const char16_t unit = path.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() &&
            QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, path.at(i + 1).unicode()));
            i += 1;
        } else if (unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF) {
            bytes.append(char(unit - escapeBase));
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(bytes, QChar::ReplacementCharacter);
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

Status status(const QString& path)
{
    Status result;
    struct stat info = {};
    if (::stat(toBytes(path).constData(), &info) != 0)
        return result;
    result.exists = true;
    result.isDir = S_ISDIR(info.st_mode);
    result.isFile = S_ISREG(info.st_mode);
    result.size = qint64(info.st_size);
    return result;
}

bool open(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
    const bool writing = mode & QIODevice::WriteOnly;
    const int flags = writing ? O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
    const int descriptor = ::open(toBytes(path).constData(), flags, 0666);
    if (descriptor < 0) {
        // Opened again for its error text, only where Qt names the very same file: a name
        // that is not valid in the locale's encoding would open another file.
        if (QFile::encodeName(path) != toBytes(path))
            return false;
        file.setFileName(path);
        return file.open(mode);
    }
    if (!file.open(descriptor, mode, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return false;
    }
    return true;
}

QStringList filesIn(const QString& folder, const std::function<bool(const QString&)>& wanted)
{
    QStringList files;
    const QByteArray base = toBytes(folder);
    DIR* directory = ::opendir(base.constData());
    if (!directory)
        return files;
    QList<QByteArray> names;
    while (const dirent* entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (wanted ? !wanted(fromBytes(name)) : name.startsWith('.'))
            continue;
        struct stat info = {};
        if (::stat((base + '/' + name).constData(), &info) == 0 && S_ISREG(info.st_mode))
            names.append(name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end());
    for (const QByteArray& name : names)
        files.append(fromBytes(base + '/' + name));
    return files;
}

bool makePath(const QString& folder)
{
    const QByteArray path = toBytes(folder);
    for (int at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path.at(at) != '/')
            continue;
        const QByteArray part = path.left(at);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return status(folder).isDir;
}

} // namespace NativePath
