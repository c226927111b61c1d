#include "framesource.h"

#include "core.h"
#include "ffmpegresources.h"
#include "mediainput.h"
#include "nativepath.h"
#include "panel.h"
#include "rgbscaler.h"

#include <QDebug>
#include <QDir>
#include <QMutexLocker>

#include <algorithm>
#include <climits>
#include <iostream>
#include <vector>

namespace {

// The target rate of a first-frame read, which has no panel.
constexpr double firstFrameRate = 18.0;
// A preview run waits while more than this many frames are pending in the window.
constexpr int pendingPreviewLimit = 51;
// How long a waiting preview run sleeps before it looks at the stop request again, when the
// window takes no frames.
constexpr unsigned long stopPollMs = 10;

int firstVideoStream(const AVFormatContext* context)
{
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            return int(i);
    }
    return -1;
}

// The video streams a run may take its pictures from, in the order they are tried: first,
// in file order, those whose parameters describe a picture the scaler takes; then, as a last
// resort, those whose pictures the probe did not see (a stream without pictures, or one whose
// first key frame lies beyond the probe). A stream without a decoder gives no picture.
std::vector<int> pictureStreams(const AVFormatContext* context)
{
    std::vector<int> streams;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters* parameters = context->streams[i]->codecpar;
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO &&
            avcodec_find_decoder(parameters->codec_id))
            streams.push_back(int(i));
    }
    std::stable_partition(streams.begin(), streams.end(), [context](int stream) {
        const AVCodecParameters* parameters = context->streams[stream]->codecpar;
        return RgbScaler::accepts(parameters->format, parameters->width, parameters->height);
    });
    return streams;
}

// Bytes per row of the scaler's RGB output. The SIMD YUV-to-RGB converters write whole
// blocks of pixels and leave the tail of a row unconverted when the row has no room for the
// overhang, so rows get room for 16-pixel blocks and 64-byte alignment. Only width x 3
// bytes of each row belong to the picture.
int paddedRgbRowBytes(int width)
{
    const int blockedWidth = (width + 15) / 16 * 16;
    return (blockedWidth * 3 + 63) / 64 * 64;
}

qint64 durationInMs(const AVFormatContext* context)
{
    // Containers that know no duration report AV_NOPTS_VALUE; that is "unknown", not a
    // negative length.
    if (context->duration == AV_NOPTS_VALUE || context->duration < 0)
        return 0;
    return context->duration / 1000;
}

void releaseRgbBuffer(void* buffer)
{
    av_free(buffer);
}

} // namespace

struct FrameSource::Media
{
    ffmpeg::FormatContextPtr context;
    int videoStream = -1;
    ffmpeg::CodecContextPtr decoder;
    ffmpeg::FramePtr picture;
    ffmpeg::PacketPtr packet;
    RgbScaler scaler;
    // The frame images the scaler writes into, rgbRowBytes a row: one that nobody else holds
    // is written next, so a consumer may keep a delivered frame (a shallow copy) while the
    // next picture is decoded, without a copy of its own.
    struct RgbBuffer
    {
        QImage image;
        uchar* pixels; // the image's buffer
    };
    std::vector<RgbBuffer> rgbBuffers;
    int rgbRowBytes = 0;

    // A buffer that only this holds; a new one if there is none. Null if out of memory.
    const RgbBuffer* freeRgbBuffer();
    // The size of the run's frames: that of the first picture converted, 0 before it.
    int width = 0;
    int height = 0;
};

const FrameSource::Media::RgbBuffer* FrameSource::Media::freeRgbBuffer()
{
    // One free buffer is kept; the others that consumers have let go of are freed, so that
    // a preview batch taken by the window does not stay allocated here.
    const RgbBuffer* free = nullptr;
    for (auto it = rgbBuffers.begin(); it != rgbBuffers.end();) {
        if (!it->image.isDetached()) {
            ++it;
        } else if (!free) {
            free = &*it;
            ++it;
        } else {
            it = rgbBuffers.erase(it);
        }
    }
    if (free)
        return free;
    // The image owns the buffer, so a frame that a consumer keeps stays valid after the run.
    auto* pixels = static_cast<uchar*>(av_malloc(size_t(rgbRowBytes) * size_t(height)));
    if (!pixels)
        return nullptr;
    QImage image(pixels, width, height, rgbRowBytes, QImage::Format_RGB888, releaseRgbBuffer,
                 pixels);
    if (image.isNull()) {
        av_free(pixels);
        return nullptr;
    }
    rgbBuffers.push_back({image, pixels});
    return &rgbBuffers.back();
}

FrameSource::FrameSource(Core* core, quint64 job, qint64 limit, bool waitForWindow)
    : core(core), job(job), limit(limit), waitForWindow(waitForWindow),
      media(std::make_unique<Media>()), adjustment(core->adjustments)
{
}

FrameSource::~FrameSource() = default;

VideoInfo FrameSource::run(const FrameCallback& frameCallback)
{
    callback = frameCallback;
    if (!openInput())
        return info;
    const std::vector<int> streams = pictureStreams(media->context.get());
    const int firstStream = firstVideoStream(media->context.get());
    for (size_t attempt = 0; attempt < streams.size(); ++attempt) {
        // A stream that gave no picture was read to the end of the input: the next one is
        // read from a fresh opening.
        if (attempt > 0 && !openInput())
            break;
        if (!openStream(streams[attempt]))
            continue;
        qDebug() << "begin!";
        decodeAll();
        qDebug() << "ok";
        if (index > 0 || finished || stoppedByRequest)
            break;
    }
    reportStreamChoice(firstStream);
    return info;
}

bool FrameSource::openInput()
{
    // A pipe would be used up by this run and could hang it before the first byte.
    if (!MediaInput::readOnceProblem(core->fileName).isEmpty())
        return false;
    media->decoder.reset();
    media->context.reset();
    AVFormatContext* opened = nullptr;
    AVDictionary* options = nullptr;
    const int result = avformat_open_input(&opened, NativePath::toBytes(core->fileName).constData(),
                                           nullptr, &options);
    av_dict_free(&options);
    if (result != 0)
        return false;
    media->context.reset(opened);
    return avformat_find_stream_info(media->context.get(), nullptr) >= 0;
}

bool FrameSource::openStream(int stream)
{
    // A fresh opening finds the same streams; should it not, the stream is gone.
    if (stream >= int(media->context->nb_streams) ||
        media->context->streams[stream]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
        return false;
    media->videoStream = stream;
    const AVStream* video = media->context->streams[stream];
    info.fps = double(video->r_frame_rate.num) / double(video->r_frame_rate.den);
    std::cout << "videoFPS:" << info.fps << std::endl;

    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    if (!codec) {
        std::cerr << "Unsupported codec!\n";
        return false;
    }
    media->decoder.reset(avcodec_alloc_context3(codec));
    if (!media->decoder ||
        avcodec_parameters_to_context(media->decoder.get(), video->codecpar) < 0) {
        std::cerr << "Couldn't copy codec context";
        return false;
    }
    // Threads hold pictures back while they work; the drain at the end of the input hands
    // out every one of them, in order.
    media->decoder->thread_count = decoderThreads;
    media->decoder->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(media->decoder.get(), codec, nullptr) < 0)
        return false;

    media->picture.reset(av_frame_alloc());
    media->packet.reset(av_packet_alloc());
    if (!media->picture || !media->packet)
        return false;
    const double targetRate = (firstFrameRead() || !core->panel) ? firstFrameRate : core->panel->hz;
    rate = std::make_unique<RateConversion>(info.fps, targetRate);
    info.durationMs = durationInMs(media->context.get());
    return true;
}

// Says where the pictures came from when that is not the obvious place, the file's first
// video stream, or that none came although the file has video. The opening of a clip (its
// first-frame read) says it as a warning; the clip's later runs choose alike and only note it.
void FrameSource::reportStreamChoice(int firstStream) const
{
    const QString file = QDir::toNativeSeparators(core->fileName);
    if (index > 0 && media->videoStream != firstStream) {
        const QString text = QStringLiteral("%1: using stream %2, the first video stream that "
                                            "gives pictures")
                                 .arg(file)
                                 .arg(media->videoStream);
        if (firstFrameRead())
            qWarning().noquote() << text;
        else
            qDebug().noquote() << text;
    } else if (index == 0 && firstStream >= 0 && !finished && !stoppedByRequest) {
        qWarning().noquote()
            << QStringLiteral("%1: none of its video streams gives a picture").arg(file);
    }
}

void FrameSource::decodeAll()
{
    while (!shouldEnd()) {
        if (av_read_frame(media->context.get(), media->packet.get()) < 0) {
            qDebug() << "break";
            // The end of the input: the decoder hands out the pictures it still holds.
            if (sendPacket(true))
                receivePictures();
            return;
        }
        const ffmpeg::PacketReference packetReference(media->packet.get());
        if (media->packet->stream_index != media->videoStream)
            continue;
        if (sendPacket(false))
            receivePictures();
    }
}

// Hands the packet just read to the decoder, or at the end of the input the empty packet
// that asks it for the pictures it still holds.
bool FrameSource::sendPacket(bool endOfInput)
{
    const AVPacket* input = endOfInput ? nullptr : media->packet.get();
    int result = avcodec_send_packet(media->decoder.get(), input);
    if (result == AVERROR(EAGAIN)) {
        // Every ready picture is taken after each packet, so the decoder should always have
        // room; should it not, make room and hand the packet over again.
        receivePictures();
        if (shouldEnd())
            return false;
        result = avcodec_send_packet(media->decoder.get(), input);
    }
    // A packet that does not decode is skipped.
    return result >= 0;
}

void FrameSource::receivePictures()
{
    while (!shouldEnd()) {
        if (avcodec_receive_frame(media->decoder.get(), media->picture.get()) < 0)
            return;
        if (!takePicture()) {
            // Skipped, as a packet that does not decode is: the picture never was.
            qDebug() << "A picture of size" << media->picture->width << "x"
                     << media->picture->height << "cannot be converted; skipped";
            av_frame_unref(media->picture.get());
            continue;
        }
        const int count = rate->deliveries(index);
        if (count != 1)
            qDebug() << "xxx";
        if (count > 0) {
            if (index >= limit) {
                finished = true;
                return;
            }
            qDebug() << "space" << rate->step();
            const Conversion conversion = convertToRgb();
            if (conversion == Conversion::NoMemory) {
                // Out of memory for a frame: the run ends short, and says so rather than
                // passing for the whole input.
                qWarning() << "No memory for another frame; the run ends at picture" << index;
                outOfMemory = true;
                finished = true;
                return;
            }
            if (conversion == Conversion::Done) {
                if (info.firstFrame.isNull())
                    info.firstFrame = frameImage;
                if (!deliver(count))
                    return;
                qDebug() << "frame" << index + 1;
            }
        }
        av_frame_unref(media->picture.get());
        index += 1;
    }
}

// Whether the picture just decoded can be converted; the first one that can sets the size
// of the run's frames, and a later one of another size is scaled to it.
bool FrameSource::takePicture()
{
    const AVFrame& picture = *media->picture;
    if (media->width == 0) {
        if (!RgbScaler::accepts(picture.format, picture.width, picture.height))
            return false;
        media->width = picture.width;
        media->height = picture.height;
        // The scaler writes straight into the frame image, whose rows are padded for it.
        media->rgbRowBytes = paddedRgbRowBytes(media->width);
    }
    return media->scaler.prepare(picture, media->width, media->height);
}

FrameSource::Conversion FrameSource::convertToRgb()
{
    frameImage = QImage(); // the last frame's buffer is free again unless a consumer keeps it
    const Media::RgbBuffer* buffer = media->freeRgbBuffer();
    if (!buffer)
        return Conversion::NoMemory;
    // Through the buffer's own address: writing through the image would detach it.
    if (!media->scaler.convert(*media->picture, buffer->pixels, media->rgbRowBytes))
        return Conversion::Refused;
    frameImage = adjustment.apply(buffer->image);
    return frameImage.isNull() ? Conversion::NoMemory : Conversion::Done;
}

bool FrameSource::deliver(int count)
{
    // Without a callback there is nobody to deliver to, however often the rate repeats it.
    if (!callback)
        return true;
    for (int call = 0; call < count; ++call) {
        if (waitForWindow && !waitForRoom())
            return false;
        // The callbacks' index only tells how far the run has come: beyond the range of
        // int it stays at the largest.
        callback(&frameImage, core, int(std::min<qint64>(index, INT_MAX)));
        if (endRequested) {
            finished = true;
            return false;
        }
    }
    return true;
}

bool FrameSource::shouldEnd()
{
    if (finished || stoppedByRequest)
        return true;
    if (core->stopRequested.isRaisedFor(job)) {
        stoppedByRequest = true;
        return true;
    }
    return false;
}

// The preview runs at most one batch ahead of the window: while a whole batch is pending it
// waits until the window takes the frames, or until it is stopped.
bool FrameSource::waitForRoom()
{
    QMutexLocker locker(&core->frameLock);
    while (core->frameCount > pendingPreviewLimit) {
        if (shouldEnd())
            return false;
        qDebug() << "continue";
        core->framesTaken.wait(&core->frameLock, stopPollMs);
    }
    return !shouldEnd();
}
