#ifndef ROTAVIS_CORE_H
#define ROTAVIS_CORE_H

#include "videoinfo.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

class Panel;

// An output run reports its progress after every this many converted frames.
constexpr int outputProgressInterval = 6;

// The worker. It lives on a thread of its own, runs one job (a preview or an output run) at a
// time for the window and answers with signals. It also holds what the window and the runs
// share: the media file, the stop request and the preview frames.
class Core : public QObject
{
    Q_OBJECT

public:
    Core();
    ~Core() override;

    // Preview frames the window has not taken back yet, and how many were appended since
    // it last emptied the list. Both are guarded by frameLock.
    QList<QImage> frames;
    int frameCount = 0;
    // Raised by the window to end the run in progress; cleared when a run starts and ends.
    std::atomic<bool> stopRequested{false};
    QString fileName;
    Panel* panel = nullptr; // panel of the current or last run; not owned
    QMutex frameLock;       // the lock of frames and frameCount
    // Whether the last run of the frame source ended on a stop request.
    bool lastRunStopped = false;

    // Called by the window while the worker is idle.
    void setFileName(const QString& name);
    VideoInfo readFirstFrame();

    // The frame source: decodes fileName into RGB888 frames at the rate of core's panel and
    // hands each to callback. See framesource.cpp.
    static VideoInfo decodeVideo(FrameCallback callback, Core* core, int limit, bool waitForWindow);

signals:
    void outputCompleted();
    void playCompleted();
    void outputProgress(int frameIndex, QImage previewImg);
    // An output run could not write its data; emitted before outputCompleted().
    void outputFailed(QString message);
    // A preview or output run is over and the worker is idle again.
    void runEnded();

public slots:
    void beginOutput(QString outputPath, Panel* panel);
    void playPreviewer(Panel* panel);
};

// The preview run's frame callback: appends a copy of the frame to core's preview list.
void collectFrame(QImage* frame, Core* core, int frameIndex);

// The output run's frame callback: converts the frame for every fan of core's panel and
// appends it to their data files; reports progress every sixth frame.
void convertFrame(QImage* frame, Core* core, int frameIndex);

#endif
