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

// A call the converter refuses: one line naming the problem, and where to look.
inline void complainAboutUsage(const QString& problem)
{
    complain(problem + QStringLiteral(" (see --help)"));
}

// A path as the operator's system writes it.
inline QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// "1 frame", "2 frames", "0 frames".
inline QString counted(qint64 count, const QString& singular)
{
    return QString::number(count) + QLatin1Char(' ') +
           (count == 1 ? singular : singular + QLatin1Char('s'));
}

#endif
