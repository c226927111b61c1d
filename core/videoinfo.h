#ifndef ROTAVIS_VIDEOINFO_H
#define ROTAVIS_VIDEOINFO_H

#include <QImage>
#include <QtGlobal>

class Core;

// What a decoding run learned about the media file.
struct VideoInfo
{
    double fps = 0;        // the video stream's frame rate
    QImage firstFrame;     // copy of the first delivered frame (RGB888, the stream's size)
    qint64 durationMs = 0; // duration of the whole container
};

// Called for every delivered frame with the run's reused RGB888 image, the worker and the
// frame's index among all decoded pictures (dropped ones included). A repeated picture
// arrives in two consecutive calls with the same arguments.
using FrameCallback = void (*)(QImage* frame, Core* core, int frameIndex);

#endif
