#ifndef ROTAVIS_TESTFILES_H
#define ROTAVIS_TESTFILES_H

#include <QByteArray>
#include <QString>

// The bytes of the file at `path`; empty when it cannot be read.
QByteArray contentsOf(const QString& path);

// Writes `contents` to the file at `path`, replacing whatever it held; false when the file
// cannot be opened or takes less than all of it.
bool writeFile(const QString& path, const QByteArray& contents);

#endif
