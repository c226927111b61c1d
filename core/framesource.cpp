#include "framesource.h"

#include "core.h"
#include "diagnostics.h"
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
#include <vector>

namespace {

// How often a run seeks further back for the start of its range before it reads the input
// from its beginning.
constexpr int lastSeekAttempt = 6;
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
    // Where the scaler writes a picture that is turned before it is delivered.
    std::vector<uchar> codedRgb;
    int codedRowBytes = 0;

    // A buffer that only this holds; a new one if there is none. Null if out of memory.
    const RgbBuffer* freeRgbBuffer();
    // The size of the run's pictures as coded: that of the first picture converted, 0 before
    // it; and the size of the frames, as displayed.
    int width = 0;
    int height = 0;
    QSize frameSize;
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
    auto* pixels = static_cast<uchar*>(av_malloc(size_t(rgbRowBytes) * size_t(frameSize.height())));
    if (!pixels)
        return nullptr;
    QImage image(pixels, frameSize.width(), frameSize.height(), rgbRowBytes, QImage::Format_RGB888,
                 releaseRgbBuffer, pixels);
    if (image.isNull()) {
        av_free(pixels);
        return nullptr;
    }
    rgbBuffers.push_back({image, pixels});
    return &rgbBuffers.back();
}

FrameSource::FrameSource(Core* core, quint64 job, qint64 limit, bool waitForWindow)
    : core(core), job(job), limit(limit), waitForWindow(waitForWindow),
      options(core->sourceOptions), media(std::make_unique<Media>()), adjustment(core->adjustments)
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
        qCDebug(decodeLog) << "begin!";
        decodeAll();
        qCDebug(decodeLog) << "ok";
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
    qCDebug(decodeLog).nospace() << "videoFPS:" << info.fps;

    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    if (!codec) {
        qCWarning(decodeLog) << "Unsupported codec!";
        return false;
    }
    media->decoder.reset(avcodec_alloc_context3(codec));
    if (!media->decoder ||
        avcodec_parameters_to_context(media->decoder.get(), video->codecpar) < 0) {
        qCWarning(decodeLog) << "Couldn't copy codec context";
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
    rate = std::make_unique<RateConversion>(info.fps, targetRate, options.timing);
    orientation = options.autorotate ? Orientation::ofStream(video) : Orientation();
    info.durationMs = durationInMs(media->context.get());
    originKnown = video->start_time != AV_NOPTS_VALUE;
    originTicks = originKnown ? video->start_time : 0;
    seekAttempt = -1;
    if (options.range.startUs > 0)
        seekToRange(0);
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
            qCDebug(decodeLog).noquote() << text;
    } else if (index == 0 && firstStream >= 0 && !finished && !stoppedByRequest &&
               options.range.isWhole()) {
        // (A range may simply lie beyond the pictures: the caller says so.)
        qWarning().noquote()
            << QStringLiteral("%1: none of its video streams gives a picture").arg(file);
    }
}

// Goes to the key frame before the start of the range, so that a range late in a long clip is
// not decoded from the beginning. An index may place a key frame before the start that is
// not: when the first picture after the seek lies beyond the start, the run seeks again
// further back (attempt 1, 2, ...), at last to the beginning of the input.
void FrameSource::seekToRange(int attempt)
{
    const AVStream* video = media->context->streams[media->videoStream];
    // 1, 4, 16, ... seconds further back with every attempt.
    const qint64 backUs = attempt == 0 ? 0 : qint64(1000000) << (2 * (attempt - 1));
    const qint64 targetUs =
        attempt >= lastSeekAttempt ? 0 : qMax<qint64>(0, options.range.startUs - backUs);
    const qint64 target = originTicks + av_rescale_q(targetUs, AV_TIME_BASE_Q, video->time_base);
    avcodec_flush_buffers(media->decoder.get());
    // Where the stream cannot seek, the whole input may; where neither can, the run decodes
    // on from where the input stands (for the first seek, its beginning: exact, only slower).
    if (av_seek_frame(media->context.get(), media->videoStream, target, AVSEEK_FLAG_BACKWARD) < 0)
        av_seek_frame(media->context.get(), -1, INT64_MIN, AVSEEK_FLAG_BACKWARD);
    seekAttempt = targetUs == 0 ? lastSeekAttempt : attempt;
    seeksMade += 1;
}

// Where the picture just decoded lies against the run's range, from its presentation time
// counted from the clip's first picture.
FrameSource::Place FrameSource::placeInRange()
{
    if (options.range.isWhole())
        return Place::Inside;
    const AVStream* video = media->context->streams[media->videoStream];
    qint64 ticks = media->picture->best_effort_timestamp;
    if (ticks == AV_NOPTS_VALUE) {
        // A picture without a time comes a frame after the one before it.
        const AVRational frameTime = av_inv_q(video->r_frame_rate);
        ticks = lastTicks + (frameTime.num > 0 && frameTime.den > 0
                                 ? av_rescale_q(1, frameTime, video->time_base)
                                 : 1);
    }
    lastTicks = ticks;
    if (!originKnown) {
        originKnown = true;
        originTicks = ticks;
    }
    const qint64 sinceOrigin = ticks - originTicks;
    const bool beforeStart =
        options.range.startUs > 0 &&
        av_compare_ts(sinceOrigin, video->time_base, options.range.startUs, AV_TIME_BASE_Q) < 0;
    if (seekAttempt >= 0) {
        // The first picture after a seek must not lie beyond the start, or pictures of the
        // range may have been passed over.
        const int attempt = seekAttempt;
        seekAttempt = -1;
        if (!beforeStart && sinceOrigin > 0 &&
            av_compare_ts(sinceOrigin, video->time_base, options.range.startUs, AV_TIME_BASE_Q) >
                0 &&
            attempt < lastSeekAttempt) {
            seekToRange(attempt + 1);
            seekAgain = true;
            return Place::Before;
        }
    }
    if (beforeStart)
        return Place::Before;
    if (options.range.endUs != ClipRange::noEnd &&
        av_compare_ts(sinceOrigin, video->time_base, options.range.endUs, AV_TIME_BASE_Q) >= 0)
        return Place::After;
    return Place::Inside;
}

void FrameSource::decodeAll()
{
    while (!shouldEnd()) {
        if (av_read_frame(media->context.get(), media->packet.get()) < 0) {
            qCDebug(decodeLog) << "break";
            // The end of the input: the decoder hands out the pictures it still holds. Its
            // first picture after a seek may send the run back for the range's start.
            const int seeksBefore = seeksMade;
            if (sendPacket(true))
                receivePictures();
            if (seeksMade == seeksBefore)
                return;
            continue;
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
        const Place place = placeInRange();
        if (seekAgain) {
            // The decoder was flushed for the new position: what it held is gone.
            seekAgain = false;
            av_frame_unref(media->picture.get());
            return;
        }
        if (place == Place::Before) {
            av_frame_unref(media->picture.get());
            continue;
        }
        if (place == Place::After) {
            // Pictures come in presentation order: none after this one is in the range.
            av_frame_unref(media->picture.get());
            finished = true;
            return;
        }
        if (!takePicture()) {
            // Skipped, as a packet that does not decode is: the picture never was.
            qCDebug(decodeLog) << "A picture of size" << media->picture->width << "x"
                               << media->picture->height << "cannot be converted; skipped";
            av_frame_unref(media->picture.get());
            continue;
        }
        const int count = rate->deliveries(index);
        if (count != 1)
            qCDebug(decodeLog) << "xxx";
        if (count > 0) {
            if (index >= limit) {
                finished = true;
                return;
            }
            qCDebug(decodeLog) << "space" << rate->step();
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
                qCDebug(decodeLog) << "frame" << index + 1;
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
        media->frameSize = orientation.displayedSize(QSize(picture.width, picture.height));
        // The scaler writes straight into the frame image, whose rows are padded for it, or,
        // for a picture that is turned, into a buffer of its own.
        media->rgbRowBytes = paddedRgbRowBytes(media->frameSize.width());
        if (!orientation.isIdentity()) {
            media->codedRowBytes = paddedRgbRowBytes(media->width);
            media->codedRgb.resize(size_t(media->codedRowBytes) * size_t(media->height));
        }
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
    if (orientation.isIdentity()) {
        if (!media->scaler.convert(*media->picture, buffer->pixels, media->rgbRowBytes))
            return Conversion::Refused;
    } else {
        if (!media->scaler.convert(*media->picture, media->codedRgb.data(), media->codedRowBytes))
            return Conversion::Refused;
        orientation.apply(media->codedRgb.data(), QSize(media->width, media->height),
                          media->codedRowBytes, buffer->pixels, media->rgbRowBytes);
    }
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
        qCDebug(decodeLog) << "continue";
        core->framesTaken.wait(&core->frameLock, stopPollMs);
    }
    return !shouldEnd();
}
