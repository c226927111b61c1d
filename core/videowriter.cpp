#include "videowriter.h"

#include "descriptorio.h"
#include "ffmpegresources.h"
#include "outputfiles.h"
#include "yuvconverter.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// libx264's settings: CRF 20 leaves no visible loss on pictures of coloured discs on black.
// "veryfast" keeps a rendered set's video compact and well ahead of real time; beside a
// conversion, which keeps both cores busy, "ultrafast" takes about a quarter of its processor
// time for files about a third larger.
constexpr const char* x264CompactPreset = "veryfast";
constexpr const char* x264FastPreset = "ultrafast";
constexpr const char* x264Crf = "20";
// MPEG-4 Part 2 at a fixed quantiser of 3: well above 30 dB on such pictures.
constexpr int mpeg4Quantiser = 3;
// A key frame about every two seconds, so that players can seek in the video.
constexpr double keyFrameSeconds = 2.0;
// The largest numerator and denominator of the frame rate as a fraction; MPEG-4 Part 2
// allows no larger time base.
constexpr int rateTerms = 65535;

QString ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

// The encoders to try, in order. libx264 first where the build has it: some builds list
// another H.264 encoder first (OpenH264, or hardware ones that need a device), and its
// settings are the ones chosen here. An encoder that does not open is passed over.
std::vector<const AVCodec*> encoderCandidates(VideoWriter::Codec codec)
{
    std::vector<const AVCodec*> candidates;
    const auto add = [&candidates](const AVCodec* encoder) {
        if (encoder && std::find(candidates.begin(), candidates.end(), encoder) == candidates.end())
            candidates.push_back(encoder);
    };
    if (codec == VideoWriter::Codec::Preferred) {
        add(avcodec_find_encoder_by_name("libx264"));
        add(avcodec_find_encoder(AV_CODEC_ID_H264));
    }
    add(avcodec_find_encoder(AV_CODEC_ID_MPEG4));
    return candidates;
}

// The frame rate as a fraction, or 0/0 for a rate no video can have: not a positive number,
// or beyond what the fraction's terms can say to a hundredth of a percent.
AVRational frameRate(double rate)
{
    if (!std::isfinite(rate) || rate <= 0)
        return {0, 0};
    const AVRational fraction = av_d2q(rate, rateTerms);
    if (fraction.num <= 0 || fraction.den <= 0 || std::abs(av_q2d(fraction) - rate) > rate * 1e-4)
        return {0, 0};
    return fraction;
}

} // namespace

struct VideoWriter::Encoding
{
    QString shownName;
    OutputFiles files; // declared first: closed last, after everything that writes to it
    DescriptorIo io;
    ffmpeg::OutputContextPtr muxer; // after io, whose context it writes through
    ffmpeg::CodecContextPtr encoder;
    AVStream* stream = nullptr; // the muxer's
    ffmpeg::FramePtr frame;
    ffmpeg::PacketPtr packet;
    YuvConverter converter;
};

VideoWriter::VideoWriter() = default;

VideoWriter::~VideoWriter() = default;

QSize VideoWriter::videoSize(const QSizeF& proportions, int longerSide)
{
    const double width = proportions.width();
    const double height = proportions.height();
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return QSize();
    const int longer = std::max(2, longerSide / 2 * 2);
    const double shorterExact = longer * std::min(width, height) / std::max(width, height);
    const int shorter = std::clamp(int(std::lround(shorterExact / 2)) * 2, 2, longer);
    return width >= height ? QSize(longer, shorter) : QSize(shorter, longer);
}

bool VideoWriter::fail(const QString& message)
{
    error = message;
    encoding.reset(); // removes the new file; an existing one stays as it was
    return false;
}

bool VideoWriter::open(const QString& path, const QSize& size, double rate, const QString& input)
{
    encoding.reset();
    error.clear();
    m_encoderName.clear();
    frames = 0;
    const QString shown = QDir::toNativeSeparators(path);
    // Checked before the file is touched, so that a refusal leaves nothing behind. Encoders
    // of yuv420p need both sides even.
    if (size.width() < 2 || size.height() < 2 || size.width() % 2 != 0 || size.height() % 2 != 0 ||
        av_image_check_size(unsigned(size.width()), unsigned(size.height()), 0, nullptr) < 0)
        return fail(QStringLiteral("Cannot write %1: a video cannot be %2 x %3 pixels (both sides "
                                   "must be even and at least 2)")
                        .arg(shown)
                        .arg(size.width())
                        .arg(size.height()));
    if (frameRate(rate).num == 0)
        return fail(QStringLiteral("Cannot write %1: a video cannot have %2 frames a second")
                        .arg(shown)
                        .arg(rate));

    encoding = std::make_unique<Encoding>();
    encoding->shownName = shown;
    if (!encoding->files.open({path}, input))
        return fail(encoding->files.errorString());
    if (!encoding->io.open(encoding->files.file(0)->handle()))
        return fail(QStringLiteral("Cannot write %1: out of memory").arg(shown));

    AVFormatContext* muxer = nullptr;
    const int made = avformat_alloc_output_context2(&muxer, nullptr, "mp4", nullptr);
    if (made < 0 || !muxer)
        return fail(QStringLiteral("Cannot write %1: this FFmpeg writes no MP4 files (%2)")
                        .arg(shown, ffmpegError(made)));
    encoding->muxer.reset(muxer);
    muxer->pb = encoding->io.context();
    muxer->flags |= AVFMT_FLAG_CUSTOM_IO;

    if (!openEncoder(size, rate))
        return false;

    AVStream* stream = avformat_new_stream(muxer, nullptr);
    if (!stream)
        return fail(QStringLiteral("Cannot write %1: out of memory").arg(shown));
    const AVCodecContext* encoder = encoding->encoder.get();
    stream->time_base = encoder->time_base;
    stream->avg_frame_rate = encoder->framerate;
    int result = avcodec_parameters_from_context(stream->codecpar, encoder);
    if (result >= 0)
        result = avformat_write_header(muxer, nullptr);
    if (result < 0)
        return fail(writeFailure(result));
    encoding->stream = stream;

    encoding->frame.reset(av_frame_alloc());
    encoding->packet.reset(av_packet_alloc());
    AVFrame* frame = encoding->frame.get();
    if (!frame || !encoding->packet)
        return fail(QStringLiteral("Cannot write %1: out of memory").arg(shown));
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = size.width();
    frame->height = size.height();
    if (av_frame_get_buffer(frame, 0) < 0)
        return fail(QStringLiteral("Cannot write %1: out of memory").arg(shown));
    return true;
}

bool VideoWriter::openEncoder(const QSize& size, double rate)
{
    const AVRational fraction = frameRate(rate);
    const bool globalHeader = encoding->muxer->oformat->flags & AVFMT_GLOBALHEADER;
    int result = AVERROR_ENCODER_NOT_FOUND;
    for (const AVCodec* codec : encoderCandidates(m_codec)) {
        ffmpeg::CodecContextPtr encoder(avcodec_alloc_context3(codec));
        if (!encoder)
            return fail(QStringLiteral("Cannot write %1: out of memory").arg(encoding->shownName));
        encoder->width = size.width();
        encoder->height = size.height();
        encoder->pix_fmt = AV_PIX_FMT_YUV420P;
        encoder->sample_aspect_ratio = {1, 1};
        // Frame n has time stamp n.
        encoder->time_base = av_inv_q(fraction);
        encoder->framerate = fraction;
        encoder->gop_size = std::max(1, int(std::lround(rate * keyFrameSeconds)));
        encoder->colorspace = YuvConverter::colorSpace;
        encoder->color_primaries = YuvConverter::colorPrimaries;
        encoder->color_trc = YuvConverter::colorTransfer;
        encoder->color_range = YuvConverter::colorRange;
        encoder->thread_count = 0; // as many as the encoder finds useful
        if (globalHeader)
            encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        if (std::strcmp(codec->name, "libx264") == 0) {
            av_dict_set(&options, "preset",
                        m_speed == Speed::Fast ? x264FastPreset : x264CompactPreset, 0);
            av_dict_set(&options, "crf", x264Crf, 0);
        } else if (codec->id == AV_CODEC_ID_MPEG4) {
            encoder->flags |= AV_CODEC_FLAG_QSCALE;
            encoder->global_quality = FF_QP2LAMBDA * mpeg4Quantiser;
        }
        result = avcodec_open2(encoder.get(), codec, &options);
        av_dict_free(&options);
        if (result >= 0) {
            encoding->encoder = std::move(encoder);
            m_encoderName = QString::fromLatin1(codec->name);
            return true;
        }
    }
    return fail(QStringLiteral("Cannot write %1: no encoder for H.264 or MPEG-4 video opens (%2)")
                    .arg(encoding->shownName, ffmpegError(result)));
}

bool VideoWriter::write(const QImage& picture)
{
    AVFrame* frame = nextFrame();
    if (!frame)
        return false;
    if (!encoding->converter.convert(picture, frame))
        return fail(QStringLiteral("Cannot write %1: picture %2 (%3 x %4 pixels) cannot be "
                                   "converted for the video")
                        .arg(encoding->shownName)
                        .arg(frames)
                        .arg(picture.width())
                        .arg(picture.height()));
    return encodeNext();
}

bool VideoWriter::write(const std::function<void(const YuvPlanes&)>& fill)
{
    AVFrame* frame = nextFrame();
    if (!frame)
        return false;
    YuvPlanes planes;
    planes.size = QSize(frame->width, frame->height);
    planes.luma = frame->data[0];
    planes.blue = frame->data[1];
    planes.red = frame->data[2];
    planes.lumaStride = frame->linesize[0];
    planes.chromaStride = frame->linesize[1];
    fill(planes);
    return encodeNext();
}

// The frame the next picture goes into, writable; null (with the reason) when there is none.
AVFrame* VideoWriter::nextFrame()
{
    if (!encoding) {
        error = QStringLiteral("No video is open");
        return nullptr;
    }
    AVFrame* frame = encoding->frame.get();
    // The encoder may still hold the last frame's buffers; the picture then goes to new ones.
    if (av_frame_make_writable(frame) < 0) {
        fail(QStringLiteral("Cannot write %1: out of memory").arg(encoding->shownName));
        return nullptr;
    }
    return frame;
}

bool VideoWriter::encodeNext()
{
    encoding->frame->pts = frames;
    if (!encode(false))
        return false;
    frames += 1;
    return true;
}

bool VideoWriter::finish()
{
    if (!encoding) {
        if (error.isEmpty())
            error = QStringLiteral("No video is open");
        return false;
    }
    if (frames == 0)
        return fail(QStringLiteral("Cannot write %1: no picture was written, and a video without "
                                   "frames plays nowhere")
                        .arg(encoding->shownName));
    if (!encode(true))
        return false;
    AVIOContext* io = encoding->io.context();
    int result = av_write_trailer(encoding->muxer.get());
    if (result >= 0) {
        avio_flush(io);
        result = io->error;
    }
    if (result < 0 || encoding->io.failure() != 0)
        return fail(writeFailure(result));
    if (!encoding->files.commit())
        return fail(encoding->files.errorString());
    encoding.reset(); // closes the file, which keeps its name now
    return true;
}

// Hands the encoder the frame in hand (or, to drain it, the end of the pictures) and writes
// every packet it has ready into the file.
bool VideoWriter::encode(bool drain)
{
    AVCodecContext* encoder = encoding->encoder.get();
    int result = avcodec_send_frame(encoder, drain ? nullptr : encoding->frame.get());
    if (result < 0)
        return fail(QStringLiteral("Cannot write %1: the encoder failed (%2)")
                        .arg(encoding->shownName, ffmpegError(result)));
    for (;;) {
        result = avcodec_receive_packet(encoder, encoding->packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return fail(QStringLiteral("Cannot write %1: the encoder failed (%2)")
                            .arg(encoding->shownName, ffmpegError(result)));
        result = writePacket();
        if (result < 0 || encoding->io.failure() != 0)
            return fail(writeFailure(result));
    }
}

// Writes the packet the encoder handed out into the file and lets go of it.
int VideoWriter::writePacket()
{
    AVPacket* packet = encoding->packet.get();
    const ffmpeg::PacketReference reference(packet);
    // Every frame lasts one tick, the last one included, so that the video's length counts it.
    if (packet->duration <= 0)
        packet->duration = 1;
    av_packet_rescale_ts(packet, encoding->encoder->time_base, encoding->stream->time_base);
    packet->stream_index = encoding->stream->index;
    return av_interleaved_write_frame(encoding->muxer.get(), packet);
}

QString VideoWriter::writeFailure(int code) const
{
    // The system's reason where a write failed (a full disk), which FFmpeg's code only echoes.
    const int systemError = encoding->io.failure();
    const QString reason =
        systemError != 0 ? QString::fromLocal8Bit(std::strerror(systemError)) : ffmpegError(code);
    return QStringLiteral("Cannot write %1: %2").arg(encoding->shownName, reason);
}
