#ifndef ROTAVIS_NATIVEPATH_H
#define ROTAVIS_NATIVEPATH_H

#include <QByteArray>
#include <QString>

// File names as the system spells them. On Linux a name is any string of bytes; most are
// UTF-8, but not all. Qt's own conversion turns bytes that are no UTF-8 into a replacement
// character, so such a file could not be opened again by its name. These conversions keep
// every byte: a byte that is not part of valid UTF-8 becomes the lone surrogate U+DC80 to
// U+DCFF in the text and turns back into the same byte.
namespace NativePath {

QString fromBytes(const QByteArray& bytes);
QByteArray toBytes(const QString& path);

} // namespace NativePath

#endif
