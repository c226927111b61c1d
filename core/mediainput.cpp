#include "mediainput.h"

#include "nativepath.h"

#include <QDir>

#include <sys/stat.h>

namespace MediaInput {

QString readOnceProblem(const QString& path)
{
    // FFmpeg reads these names as standard input or an open descriptor.
    const bool stream = path == QLatin1String("-") || path.startsWith(QLatin1String("pipe:")) ||
                        path.startsWith(QLatin1String("fd:"));
    struct stat status = {};
    const bool special =
        !stream && ::stat(NativePath::toBytes(path).constData(), &status) == 0 &&
        (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) || S_ISCHR(status.st_mode));
    if (!stream && !special)
        return QString();
    return QStringLiteral("%1 is a pipe or device that can be read only once, but a clip is read "
                          "again for every preview and save: save it to a file first")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace MediaInput
