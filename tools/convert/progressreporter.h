#ifndef ROTAVIS_PROGRESSREPORTER_H
#define ROTAVIS_PROGRESSREPORTER_H

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// Progress of a conversion on standard error: a live line redrawn in place on a terminal,
// otherwise a plain line every ten seconds; then one concluding line.
class ProgressReporter
{
public:
    // `fps` and `durationMs` of the input tell how far through it a frame index lies; when
    // either is unknown only the frame count is shown. A `label` (the clip of a batch) starts
    // every line.
    ProgressReporter(std::FILE* stream, bool live, double fps, qint64 durationMs,
                     const QString& label = QString());

    // `framesDone` frames are converted; the last one is picture `frameIndex` of the input.
    void update(qint64 framesDone, int frameIndex);
    // Ends the progress with a last line of its own, which replaces the live line.
    void conclude(const QString& text);
    // Ends the live line, if one is drawn, without a line of its own.
    void finish();

    // The text of one report, without line end.
    QString describe(qint64 framesDone, int frameIndex, qint64 elapsedMs) const;

private:
    std::FILE* stream;
    bool live;
    double fps;
    qint64 durationMs;
    QString label;
    QElapsedTimer clock;
    qint64 lastLineMs = 0;
    bool drawn = false;
};

// A time as h:mm:ss.
QString clockTime(qint64 ms);

#endif
