#ifndef ROTAVIS_FRAMESOURCE_H
#define ROTAVIS_FRAMESOURCE_H

#include "adjustmentstage.h"
#include "orientation.h"
#include "rateconversion.h"
#include "sourceoptions.h"
#include "videoinfo.h"

#include <QImage>
#include <QtGlobal>

#include <limits>
#include <memory>

class Core;

// Decodes the worker's media file into RGB888 frames at the rate of the worker's panel and
// hands each to a callback. One object is one run: open the file, decode every picture of
// its first video stream that gives pictures (draining the decoder at the end of the input),
// keep those of the worker's clip range, bring them to the panel's rate with the worker's
// timing, convert the delivered ones to RGB, turned as the stream is displayed (unless the
// worker says otherwise), and call back, then release everything. The frames have the size of
// the first picture; a stream that changes its size midway is scaled to it, and a picture
// that cannot be converted is skipped.
class FrameSource
{
public:
    // A run for `core`'s file and panel, holding the job ticket `job` of its stop request.
    // It delivers no picture whose index is `limit` or higher (noLimit: every picture); a
    // limit of 1 also selects the fixed target rate of a first-frame read. With
    // `waitForWindow` it pauses while the window has a whole batch of preview frames pending.
    FrameSource(Core* core, quint64 job, qint64 limit, bool waitForWindow);

    // A limit no clip reaches: the run delivers the whole input.
    static constexpr qint64 noLimit = std::numeric_limits<qint64>::max();
    ~FrameSource();
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    // Decoder threads: 0 lets the decoder choose (the default), 1 decodes on the calling
    // thread only. The pictures are the same either way.
    void setDecoderThreads(int count) { decoderThreads = count; }

    // Reads `range` of the clip instead of the worker's range.
    void setRange(const ClipRange& range) { options.range = range; }
    // The picture adjustments of the run's frames; by default the worker's.
    void setAdjustments(const PictureAdjustments& values) { adjustment = AdjustmentStage(values); }
    // Only these pixels of the frames are read (see AdjustmentStage::setReadPixels).
    void setReadPixels(AdjustmentStage::ReadPixels pixels)
    {
        adjustment.setReadPixels(std::move(pixels));
    }
    // A delivered frame adjusted whole (see AdjustmentStage::completed).
    QImage completed(const QImage& frame) { return adjustment.completed(frame); }

    // Runs the whole decoding and returns what it learned of the file.
    VideoInfo run(const FrameCallback& callback);

    // Ends the run once the picture in hand has been delivered; for a callback that cannot
    // go on (its output failed).
    void endRun() { endRequested = true; }

    // Whether the run ended on a stop request (not at the end of the input or the limit).
    bool stopped() const { return stoppedByRequest; }
    // Whether the run ended short because there was no memory for another frame.
    bool ranOutOfMemory() const { return outOfMemory; }

private:
    enum class Conversion
    {
        Done,
        NoMemory, // for another frame
        Refused,  // by the scaler
    };

    bool openInput();
    bool openStream(int stream);
    void reportStreamChoice(int firstStream) const;
    void decodeAll();
    bool sendPacket(bool endOfInput);
    void receivePictures();
    bool takePicture();
    enum class Place
    {
        Before,
        Inside,
        After,
    };
    Place placeInRange();
    void seekToRange(int attempt);
    bool deliver(int count);
    bool shouldEnd();
    bool waitForRoom();
    Conversion convertToRgb();
    // The read that opens a clip, for its first picture (see the constructor).
    bool firstFrameRead() const { return limit == 1; }

    Core* core;
    quint64 job;
    qint64 limit;
    bool waitForWindow;
    SourceOptions options;
    int decoderThreads = 0;

    FrameCallback callback;
    VideoInfo info;
    bool endRequested = false;
    bool stoppedByRequest = false;
    bool outOfMemory = false;
    bool finished = false; // the limit was reached or the run was ended

    struct Media; // the FFmpeg objects of the run
    std::unique_ptr<Media> media;
    QImage frameImage;
    AdjustmentStage adjustment; // what every converted picture goes through before delivery
    std::unique_ptr<RateConversion> rate;
    Orientation orientation;
    // The clip's range, in the video stream's time base: its first picture's time (unknown
    // until a picture tells when the stream does not), the last picture's time, and how many
    // times the run has sought back for the start.
    qint64 originTicks = 0;
    bool originKnown = false;
    qint64 lastTicks = 0;
    int seekAttempt = -1; // -1: the run reads from the start of the input
    bool seekAgain = false;
    int seeksMade = 0;
    // Of the next decoded picture; wider than the callbacks' index, so that no clip counts
    // past its range.
    qint64 index = 0;
};

#endif
