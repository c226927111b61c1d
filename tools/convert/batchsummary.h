#ifndef ROTAVIS_BATCHSUMMARY_H
#define ROTAVIS_BATCHSUMMARY_H

#include <QList>
#include <QString>
#include <QtGlobal>

// What became of one clip of a conversion.
struct ClipOutcome
{
    // Not started: an earlier clip was interrupted.
    static constexpr int notStarted = -1;

    QString clip;
    int status = notStarted; // the exit status the clip alone would have given
    qint64 frames = 0;       // whole frames in each of its fan data files
    int files = 0;           // fan data files written
    qint64 elapsedMs = 0;
};

// The exit status of several clips: the worst, which is the highest, of theirs.
int worstStatus(const QList<ClipOutcome>& outcomes);

// The summary table: one row per clip with its frames, files, time and status.
QString summaryTable(const QList<ClipOutcome>& outcomes);

#endif
