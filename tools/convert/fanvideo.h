#ifndef ROTAVIS_FANVIDEO_H
#define ROTAVIS_FANVIDEO_H

#include "fanframelines.h"
#include "panelvideoframe.h"
#include "videowriter.h"

#include <QString>
#include <QVector>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class Panel;

// A video of what the fans of a panel show, one video frame per frame of fan data, at the
// panel's rate: each frame's records taken apart and painted as the fan view paints them,
// then encoded. All that runs on a thread of its own, so that the conversion or the set
// that hands the frames over goes on meanwhile.
class FanVideo
{
public:
    explicit FanVideo(const Panel& panel);
    ~FanVideo(); // abandons a video that was not finished
    FanVideo(const FanVideo&) = delete;
    FanVideo& operator=(const FanVideo&) = delete;

    // The rate a panel's video plays at: the panel's, or 18 frames a second where the panel
    // has no usable rate.
    static double rateOf(const Panel& panel);

    // Opens the video `path` whose longer side is `longerSide` pixels; it never replaces
    // `input`. With `beside` the video is made beside a conversion, which needs the
    // processor more than the file needs to be small. False with errorString() when it
    // cannot.
    bool open(const QString& path, int longerSide, const QString& input, bool beside);

    // Hands over the next frame; waits while a few frames wait already. False once the video
    // has failed.
    bool add(QVector<FanFrameRecord> fans);

    // Waits for the frames handed over and finishes the file, so that it plays.
    bool finish();

    qint64 framesWritten() const;
    QString encoderName() const { return writer.encoderName(); }
    QString errorString() const;

private:
    void encodeLoop();

    const Panel& panel;
    VideoWriter writer;
    PanelVideoFrame painter;
    QSize size;

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<QVector<FanFrameRecord>> waiting;
    bool busy = false; // a frame is being painted and encoded
    bool quit = false;
    bool failed = false;
    qint64 encoded = 0;
    QString error;
    std::thread thread;
};

#endif
