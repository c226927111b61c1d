#ifndef ROTAVIS_SETREPAIR_H
#define ROTAVIS_SETREPAIR_H

#include <QString>
#include <QVector>

class FanDataReader;

// One file of a fan data set as a run that was cut off may have left it: read with
// FanDataReader's cut-off reading.
struct CutOffFile
{
    QString path;
    qint64 size = 0;
    bool readable = false; // every whole packet is in order
    QString problem;       // what the reader found wrong, when not readable
    bool damaged = false;  // the problem is in the file's bytes, not in reading it at all
    qint64 frameBytes = 0; // 0 when the file ends before its packets tell their length
    qint64 wholeFrames = 0;

    // The file at `path`, of `size` bytes, as `reader` found it; `readable` is what its
    // cut-off reading returned.
    static CutOffFile from(const QString& path, qint64 size, const FanDataReader& reader,
                           bool readable);
};

// What --repair does to a set: cut every file back to the frames that all of them hold
// whole, or leave the set alone because it is not what a stopped or killed run leaves.
// A run converts frame after frame for every fan, so its files end at most one frame apart,
// those behind perhaps with a part of the next record; anything else is damage, or files of
// other runs under one name, and cutting it would lose good frames.
struct RepairPlan
{
    QString refusal;      // why the set is left alone; empty when the plan can be carried out
    bool damaged = false; // the refusal is about damaged bytes or an unsound set
    qint64 wholeFrames = 0;
    QVector<qint64> keepBytes; // per file: its size after the repair

    static RepairPlan forFiles(const QVector<CutOffFile>& files);
};

#endif
