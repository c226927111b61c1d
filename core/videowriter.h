#ifndef ROTAVIS_VIDEOWRITER_H
#define ROTAVIS_VIDEOWRITER_H

#include "yuvplanes.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

struct AVFrame;

// Encodes pictures into an MP4 video that any player, browser or phone shows: H.264 where
// the FFmpeg build has an encoder for it, MPEG-4 Part 2 otherwise, yuv420p, one frame per
// picture at a constant rate.
//
// The file is written by the rules of every output of the program (OutputFiles): never the
// input, never a pipe or device, locked while written, and an existing file is replaced only
// by a finished video. A video that is not finished (a failure, or a writer destroyed before
// finish()) leaves nothing behind: its new file is removed and an existing file is untouched.
class VideoWriter
{
public:
    enum class Codec
    {
        Preferred, // H.264 where there is an encoder for it that opens, else MPEG-4 Part 2
        Mpeg4,     // MPEG-4 Part 2 only
    };

    enum class Speed
    {
        Compact, // smaller files: for a video that is all the run makes
        Fast,    // less processor time: for a video made beside a conversion
    };

    VideoWriter();
    ~VideoWriter(); // abandons an unfinished video
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // The size of a video whose longer side is `longerSide` pixels, rounded down to even, for
    // a picture of `proportions` (the panel's width and height): the shorter side is rounded
    // to the nearest even number, and both are at least 2. An empty size for proportions
    // without area.
    static QSize videoSize(const QSizeF& proportions, int longerSide);

    // The codec of the videos opened from now on; Preferred unless set.
    void setCodec(Codec codec) { m_codec = codec; }
    // How the H.264 encoder weighs speed against size from now on; Compact unless set.
    void setSpeed(Speed speed) { m_speed = speed; }

    // Opens `path` for a video of `size` (both sides even) at `rate` frames a second (such as
    // 18, 25 or 29.97). `input` is a file that the video must never replace (the clip being
    // converted, or a fan data file). Whether an existing file may be replaced at all is the
    // caller's decision. False with errorString() on failure, nothing being left behind then.
    // A video still open is abandoned first.
    bool open(const QString& path, const QSize& size, double rate,
              const QString& input = QString());

    // Encodes `picture` (any format; scaled smoothly to the video's size if it has another)
    // as the next frame. False on failure (a full disk), which abandons the video.
    bool write(const QImage& picture);
    // Encodes the next frame as `fill` draws it into the planes of a frame of the video's
    // size, BT.601 in limited range (see bt601.h). False on failure, as write(picture).
    bool write(const std::function<void(const YuvPlanes&)>& fill);

    // Finishes the video: the encoder hands out the frames it holds, the container gets its
    // index, and the file takes its name. The file then plays, however few frames were
    // written. False on failure, which abandons the video; a video without frames is refused
    // too, since no player would show it.
    bool finish();

    // The encoder of the video opened last, such as "libx264" or "mpeg4".
    QString encoderName() const { return m_encoderName; }
    QString errorString() const { return error; }
    // The pictures that write() took for the video opened last.
    qint64 framesWritten() const { return frames; }

private:
    bool fail(const QString& message);
    bool openEncoder(const QSize& size, double rate);
    AVFrame* nextFrame();
    bool encodeNext();
    bool encode(bool drain);
    int writePacket();
    QString writeFailure(int code) const;

    struct Encoding; // the FFmpeg objects and the file of the video being written
    std::unique_ptr<Encoding> encoding;
    Codec m_codec = Codec::Preferred;
    Speed m_speed = Speed::Compact;
    QString m_encoderName;
    QString error;
    qint64 frames = 0;
};

#endif
