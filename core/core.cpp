#include "core.h"

#include "framesource.h"
#include "outputjob.h"

#include <QMutexLocker>

Core::Core() : QObject(nullptr) {}

Core::~Core() = default;

void Core::setFileName(const QString& name)
{
    fileName = name;
}

VideoInfo Core::readFirstFrame()
{
    return readFrameAt(ClipRange());
}

VideoInfo Core::readFrameAt(const ClipRange& range)
{
    FrameSource source(this, stopRequested.beginRun(), 1, false);
    source.setRange(range);
    const VideoInfo info = source.run(nullptr);
    lastRunStopped = source.stopped();
    return info;
}

VideoInfo Core::readPlainFrame(const ClipRange& range)
{
    FrameSource source(this, stopRequested.beginRun(), 1, false);
    source.setRange(range);
    source.setAdjustments(PictureAdjustments());
    const VideoInfo info = source.run(nullptr);
    lastRunStopped = source.stopped();
    return info;
}

VideoInfo Core::decodeVideo(const FrameCallback& callback, Core* core, qint64 limit,
                            bool waitForWindow)
{
    FrameSource source(core, core->stopRequested.beginRun(), limit, waitForWindow);
    const VideoInfo info = source.run(callback);
    core->lastRunStopped = source.stopped();
    return info;
}

void Core::clearPreviewFrames()
{
    QMutexLocker locker(&frameLock);
    frames.clear();
    frameIndices.clear();
    frameCount = 0;
    framesTaken.wakeAll();
}

void Core::playPreviewer(Panel* panel)
{
    this->panel = panel;
    decodeVideo(collectFrame, this, FrameSource::noLimit, true);
    emit runEnded();
}

void Core::beginOutput(QString outputPath, Panel* panel)
{
    this->panel = panel;
    // The job holds its ticket from here on, even when its files cannot be opened.
    OutputJob job(this, stopRequested.beginRun());
    const QString failure = job.run(outputPath, panel);
    if (!failure.isEmpty())
        emit outputFailed(failure);
    emit outputWritten(job.convertedCount(), lastRunStopped);
    emit outputCompleted();
    emit runEnded();
}

void collectFrame(QImage* frame, Core* core, int frameIndex)
{
    // Kept as it is: the frame source writes the next picture into another buffer.
    QMutexLocker locker(&core->frameLock);
    core->frames.append(*frame);
    core->frameIndices.append(frameIndex);
    core->frameCount += 1;
}
