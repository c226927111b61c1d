#include "core.h"
#include "ffmpegresources.h"
#include "panel.h"
#include "rateconversion.h"

#include <QDebug>
#include <QMutexLocker>
#include <QThread>

#include <cstring>
#include <iostream>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {

// The target rate of a first-frame read, which has no panel.
constexpr double firstFrameRate = 18.0;
// A preview run waits while more than this many frames are pending in the window.
constexpr int pendingPreviewLimit = 51;

int firstVideoStream(const AVFormatContext* context)
{
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            return int(i);
    }
    return -1;
}

// Bytes per row of the scaler's RGB output. The SIMD YUV-to-RGB converters write whole
// blocks of pixels and leave the tail of a row unconverted when the row has no room for the
// overhang, so rows get room for 16-pixel blocks and 64-byte alignment. Only width x 3
// bytes of each row are used.
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

// Decodes at most one picture from the packet; further pictures that the decoder produces
// for it are not collected.
bool decodePicture(AVCodecContext* decoder, const AVPacket* packet, AVFrame* picture)
{
    const int sent = avcodec_send_packet(decoder, packet);
    const bool gotPicture = avcodec_receive_frame(decoder, picture) == 0;
    // A decoder with a picture waiting takes no input until that picture is fetched; hand
    // the packet over again now that there is room, so that its data is not lost.
    if (sent == AVERROR(EAGAIN))
        avcodec_send_packet(decoder, packet);
    return gotPicture;
}

bool waitingForWindow(Core* core)
{
    QMutexLocker locker(&core->frameLock);
    return core->frameCount > pendingPreviewLimit;
}

} // namespace

VideoInfo Core::decodeVideo(FrameCallback callback, Core* core, int limit, bool waitForWindow)
{
    VideoInfo info;
    core->stopRequested = false;
    core->lastRunStopped = false;

    AVFormatContext* openedContext = nullptr;
    AVDictionary* options = nullptr;
    const int openResult =
        avformat_open_input(&openedContext, core->fileName.toUtf8().constData(), nullptr, &options);
    av_dict_free(&options);
    if (openResult != 0)
        return info;
    const ffmpeg::FormatContextPtr context(openedContext);

    if (avformat_find_stream_info(context.get(), nullptr) < 0)
        return info;

    const int videoStream = firstVideoStream(context.get());
    if (videoStream < 0)
        return info;
    const AVStream* stream = context->streams[videoStream];

    info.fps = double(stream->r_frame_rate.num) / double(stream->r_frame_rate.den);
    std::cout << "videoFPS:" << info.fps << std::endl;

    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        std::cerr << "Unsupported codec!\n";
        return info;
    }
    const ffmpeg::CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) {
        std::cerr << "Couldn't copy codec context";
        return info;
    }
    // Decoder threads hold pictures back, and the input is not drained at its end: every
    // extra thread would lose one more picture at the end of each clip.
    decoder->thread_count = 1;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return info;

    const ffmpeg::FramePtr picture(av_frame_alloc());
    if (!picture)
        return info;

    const int width = decoder->width;
    const int height = decoder->height;
    if (width <= 0 || height <= 0)
        return info;

    const int rgbRowBytes = paddedRgbRowBytes(width);
    const ffmpeg::BufferPtr rgbBuffer(
        static_cast<uint8_t*>(av_malloc(size_t(rgbRowBytes) * size_t(height))));
    if (!rgbBuffer)
        return info;
    uint8_t* const rgbData[4] = {rgbBuffer.get(), nullptr, nullptr, nullptr};
    const int rgbLinesize[4] = {rgbRowBytes, 0, 0, 0};

    const ffmpeg::ScalerPtr scaler(sws_getContext(width, height, decoder->pix_fmt, width, height,
                                                  AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr,
                                                  nullptr));
    if (!scaler)
        return info;

    const ffmpeg::PacketPtr packet(av_packet_alloc());
    if (!packet)
        return info;
    qDebug() << "begin!";
    QImage frameImage(width, height, QImage::Format_RGB888);
    if (frameImage.isNull())
        return info;

    const double targetRate = (limit == 1 || !core->panel) ? firstFrameRate : core->panel->hz;
    const RateConversion rate(info.fps, targetRate);
    const size_t rowBytes = size_t(width) * 3;
    int index = 0;

    for (;;) {
        if (core->stopRequested) {
            core->lastRunStopped = true;
            break;
        }
        if (waitForWindow) {
            QThread::msleep(1);
            if (waitingForWindow(core)) {
                qDebug() << "continue";
                continue;
            }
        }
        info.durationMs = durationInMs(context.get());

        if (av_read_frame(context.get(), packet.get()) < 0) {
            qDebug() << "break";
            break;
        }
        const ffmpeg::PacketReference packetReference(packet.get());
        if (packet->stream_index != videoStream)
            continue;
        if (!decodePicture(decoder.get(), packet.get(), picture.get()))
            continue;

        const RateConversion::Action action = rate.actionFor(index);
        if (action != RateConversion::Action::Deliver)
            qDebug() << "xxx";
        if (action == RateConversion::Action::Drop) {
            index += 1;
            continue;
        }
        qDebug() << "space" << rate.step();

        sws_scale(scaler.get(), picture->data, picture->linesize, 0, height, rgbData, rgbLinesize);

        const int next = index + 1;
        if (limit < next)
            break;

        for (int y = 0; y < height; ++y)
            std::memcpy(frameImage.scanLine(y), rgbData[0] + size_t(y) * size_t(rgbRowBytes),
                        rowBytes);

        if (callback) {
            callback(&frameImage, core, index);
            if (action == RateConversion::Action::Repeat)
                callback(&frameImage, core, index);
        }
        if (next == 1)
            info.firstFrame = frameImage.copy();
        qDebug() << "frame" << next;
        index = next;
    }

    qDebug() << "ok";
    core->stopRequested = false;
    return info;
}
