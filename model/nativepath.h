#ifndef ROTAVIS_NATIVEPATH_H
#define ROTAVIS_NATIVEPATH_H

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>

class QFile;

// File names as the system spells them. On Linux a name is any string of bytes; most are
// UTF-8, but not all. Qt's own conversion turns bytes that are no UTF-8 into a replacement
// character, so such a file could not be opened again by its name. These conversions keep
// every byte: a byte that is not part of valid UTF-8 becomes the lone surrogate U+DC80 to
// U+DCFF in the text and turns back into the same byte.
namespace NativePath {

QString fromBytes(const QByteArray& bytes);
QByteArray toBytes(const QString& path);

// What is at `path`, following links.
struct Status
{
    bool exists = false;
    bool isDir = false;
    bool isFile = false; // a regular file
    qint64 size = 0;
};
Status status(const QString& path);

// Opens `file` on the file at `path`: ReadOnly, or WriteOnly (made if missing, emptied).
bool open(QFile& file, const QString& path, QIODevice::OpenMode mode);

// The regular files in `folder` (following links), by name, as full paths: those whose
// names `wanted` takes, or without it every one but the hidden ones (names that start with
// a dot).
QStringList filesIn(const QString& folder,
                    const std::function<bool(const QString&)>& wanted = nullptr);

// Makes `folder` and whatever of its parents is missing.
bool makePath(const QString& folder);

} // namespace NativePath

#endif
