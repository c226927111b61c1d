#ifndef ROTAVIS_VIDEOINFO_H
#define ROTAVIS_VIDEOINFO_H

#include <QImage>
#include <QtGlobal>

#include <functional>

class Core;

// What a decoding run learned about the media file.
struct VideoInfo
{
    double fps = 0;        // the video stream's frame rate
    QImage firstFrame;     // the first delivered frame (RGB888, the stream's size)
    qint64 durationMs = 0; // duration of the whole container
};

// Called for every delivered frame with the run's RGB888 image, the worker and the frame's
// index among all decoded pictures (dropped ones included). A picture delivered n times
// arrives in n consecutive calls with the same arguments. A callback may keep the image
// itself: the next picture goes to a buffer that nobody holds. A callback may carry state of
// its own (a lambda with captures).
using FrameCallback = std::function<void(QImage* frame, Core* core, int frameIndex)>;

#endif
