#ifndef ROTAVIS_OUTPUTJOB_H
#define ROTAVIS_OUTPUTJOB_H

#include "outputrun.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <climits>

class Core;
class FrameSource;
class Panel;
class QImage;

// One output job of the worker: opens the fan data files of a panel, runs the frame source
// over the whole file converting every delivered frame, reports progress through the worker
// every sixth frame, and closes the files.
class OutputJob
{
public:
    // A job of `core`, holding the ticket `job` of the worker's stop request.
    OutputJob(Core* core, quint64 job);

    // Writes the fan data of `panel` to files named after `outputPath`. Returns why the
    // data could not be written, or an empty text.
    QString run(const QString& outputPath, Panel* panel);

    // Frames converted so far; the largest int for a run beyond that (years of frames).
    int convertedCount() const { return int(std::min<qint64>(converted, INT_MAX)); }

private:
    void convertFrame(const QImage& frame, int frameIndex, FrameSource& source);

    Core* core;
    quint64 job;
    OutputRun files;
    qint64 converted = 0;
};

#endif
