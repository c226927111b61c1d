#ifndef ROTAVIS_MESSAGES_H
#define ROTAVIS_MESSAGES_H

#include <QDir>
#include <QString>

#include <cstdio>

// What went wrong, on standard error, in the converter's name.
inline void complain(const QString& message)
{
    std::fprintf(stderr, "rotavis-convert: %s\n", qPrintable(message));
}

// A path as the operator's system writes it.
inline QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

#endif
