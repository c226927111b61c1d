#ifndef ROTAVIS_FRAMESOURCE_H
#define ROTAVIS_FRAMESOURCE_H

#include "rateconversion.h"
#include "videoinfo.h"

#include <QImage>
#include <QtGlobal>

#include <memory>

class Core;

// Decodes the worker's media file into RGB888 frames at the rate of the worker's panel and
// hands each to a callback. One object is one run: open the file, decode every picture of
// its first video stream (draining the decoder at the end of the input), bring the pictures
// to the panel's rate, convert the delivered ones to RGB and call back, then release
// everything.
class FrameSource
{
public:
    // A run for `core`'s file and panel, holding the job ticket `job` of its stop request.
    // It delivers no picture whose index is `limit` or higher; a limit of 1 also selects the
    // fixed target rate of a first-frame read. With `waitForWindow` it pauses while the
    // window has a whole batch of preview frames pending.
    FrameSource(Core* core, quint64 job, int limit, bool waitForWindow);
    ~FrameSource();
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    // Decoder threads: 0 lets the decoder choose (the default), 1 decodes on the calling
    // thread only. The pictures are the same either way.
    void setDecoderThreads(int count) { decoderThreads = count; }

    // Runs the whole decoding and returns what it learned of the file.
    VideoInfo run(const FrameCallback& callback);

    // Ends the run once the picture in hand has been delivered; for a callback that cannot
    // go on (its output failed).
    void endRun() { endRequested = true; }

    // Whether the run ended on a stop request (not at the end of the input or the limit).
    bool stopped() const { return stoppedByRequest; }

private:
    bool open();
    bool openInput();
    bool openDecoder();
    bool prepareRgbConversion();
    void decodeAll();
    bool sendPacket(bool endOfInput);
    void receivePictures();
    bool deliver(int count);
    bool shouldEnd();
    bool waitForRoom();
    bool convertToRgb();

    Core* core;
    quint64 job;
    int limit;
    bool waitForWindow;
    int decoderThreads = 0;

    FrameCallback callback;
    VideoInfo info;
    bool endRequested = false;
    bool stoppedByRequest = false;
    bool finished = false; // the limit was reached or the run was ended

    struct Media; // the FFmpeg objects of the run
    std::unique_ptr<Media> media;
    QImage frameImage;
    std::unique_ptr<RateConversion> rate;
    int index = 0; // of the next decoded picture
};

#endif
