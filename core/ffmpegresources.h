#ifndef ROTAVIS_FFMPEGRESOURCES_H
#define ROTAVIS_FFMPEGRESOURCES_H

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>

// Owners for the FFmpeg objects of a decoding or encoding run, so that every path out of a run
// releases exactly what it had acquired.
namespace ffmpeg {

struct FormatContextCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextCloser>;

// A muxer's context. Its output (a custom AVIOContext) has an owner of its own, which must
// outlive it.
struct OutputContextFreer
{
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextFreer>;

// An AVIOContext made by avio_alloc_context, with its buffer: libavformat may have replaced
// the buffer it was given, so the one it holds now is freed.
struct IoContextFreer
{
    void operator()(AVIOContext* context) const
    {
        av_freep(&context->buffer);
        avio_context_free(&context);
    }
};
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextFreer>;

struct CodecContextFreer
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;

struct FrameFreer
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

struct PacketFreer
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

struct ScalerFreer
{
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;

// Drops the reference a packet holds when a loop pass is over, however it ends.
class PacketReference
{
public:
    explicit PacketReference(AVPacket* packet) : packet(packet) {}
    ~PacketReference() { av_packet_unref(packet); }
    PacketReference(const PacketReference&) = delete;
    PacketReference& operator=(const PacketReference&) = delete;

private:
    AVPacket* packet;
};

} // namespace ffmpeg

#endif
