#ifndef ROTAVIS_CORE_H
#define ROTAVIS_CORE_H

#include "outputrun.h"
#include "pictureadjustments.h"
#include "sourceoptions.h"
#include "stoprequest.h"
#include "videoinfo.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>

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
    // The picture index of each preview frame (see FrameCallback), beside it in frames.
    QList<int> frameIndices;
    // Raised by the window to end the job it asked for, also one that has not started yet.
    StopRequest stopRequested;
    QString fileName;
    // The orientation, timing and range of the runs to come; set while the worker is idle.
    SourceOptions sourceOptions;
    // What the runs do to every decoded picture before anything reads it; set while the
    // worker is idle.
    PictureAdjustments adjustments;
    Panel* panel = nullptr; // panel of the current or last run; not owned
    QMutex frameLock;       // the lock of frames and frameCount
    // Signalled when the window empties the preview list, which releases a waiting run.
    QWaitCondition framesTaken;
    // Whether the last run of the frame source ended on a stop request.
    bool lastRunStopped = false;
    // Whether the last output run could not start because another run writes its files.
    bool lastRunSetBusy = false;
    // Told of every frame an output run has written (see OutputRun::setFrameWritten); set
    // while the worker is idle, for a run that also renders what it writes.
    OutputRun::FrameWritten outputFrameWritten;
    // Whether the frames of outputProgress() are shown, and so adjusted whole; otherwise they
    // are adjusted only where the conversion reads them. Set while the worker is idle.
    bool showsOutputFrames = true;

    // Called by the window while the worker is idle.
    void setFileName(const QString& name);
    // The clip's first picture, whatever the range.
    VideoInfo readFirstFrame();
    // The first picture of `range` (null when the range holds none), read by seeking.
    VideoInfo readFrameAt(const ClipRange& range);

    // The first picture of `range` as decoded, before the picture adjustments: the window
    // adjusts what it shows itself, live.
    VideoInfo readPlainFrame(const ClipRange& range);

    // Empties the preview list (under its lock) and releases a run waiting for room.
    void clearPreviewFrames();

    // The frame source: decodes fileName into RGB888 frames at the rate of core's panel and
    // hands each to callback, as a job of its own. See FrameSource.
    static VideoInfo decodeVideo(const FrameCallback& callback, Core* core, qint64 limit,
                                 bool waitForWindow);

signals:
    void outputCompleted();
    void playCompleted();
    void outputProgress(int frameIndex, QImage previewImg);
    // An output run could not write its data; emitted before outputCompleted().
    void outputFailed(QString message);
    // What an output run wrote: whole frames in each data file, and whether it ended on a
    // stop request. Emitted before outputCompleted().
    void outputWritten(int frames, bool stopped);
    // A preview or output run is over and the worker is idle again.
    void runEnded();

public slots:
    void beginOutput(QString outputPath, Panel* panel);
    void playPreviewer(Panel* panel);
};

// The preview run's frame callback: appends the frame to core's preview list.
void collectFrame(QImage* frame, Core* core, int frameIndex);

#endif
