#ifndef ROTAVIS_PROGRESSREPORTER_H
#define ROTAVIS_PROGRESSREPORTER_H

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// Progress of a conversion on standard error: a live line redrawn in place on a terminal,
// otherwise a plain line every ten seconds.
class ProgressReporter
{
public:
    // `fps` and `durationMs` of the input tell how far through it a frame index lies; when
    // either is unknown only the frame count is shown.
    ProgressReporter(std::FILE* stream, bool live, double fps, qint64 durationMs);

    // `framesDone` frames are converted; the last one is picture `frameIndex` of the input.
    void update(int framesDone, int frameIndex);
    // Ends the live line.
    void finish();

    // The text of one report, without line end.
    QString describe(int framesDone, int frameIndex, qint64 elapsedMs) const;

private:
    std::FILE* stream;
    bool live;
    double fps;
    qint64 durationMs;
    QElapsedTimer clock;
    qint64 lastLineMs = 0;
    bool drawn = false;
};

#endif
