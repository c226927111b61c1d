#include "core.h"

#include <QMutexLocker>

Core::Core() : QObject(nullptr) {}

Core::~Core() = default;

void Core::setFileName(const QString& name)
{
    fileName = name;
}

VideoInfo Core::readFirstFrame()
{
    return decodeVideo(nullptr, this, 1, false);
}

void Core::playPreviewer(Panel* panel)
{
    this->panel = panel;
    decodeVideo(collectFrame, this, 999999, true);
    emit runEnded();
}

void collectFrame(QImage* frame, Core* core, int frameIndex)
{
    Q_UNUSED(frameIndex);
    // The frame source overwrites its image with the next picture: keep a copy.
    const QImage copy = frame->copy();
    QMutexLocker locker(&core->frameLock);
    core->frames.append(copy);
    core->frameCount += 1;
}
