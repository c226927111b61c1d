// Fuzzes the frame source on media files: any bytes as a clip must open, give their first
// picture and decode a few frames without a memory error, undefined behaviour or an FFmpeg
// assertion. Every frame handed out must be whole (RGB888, of the size of the clip's first
// picture), and a run must find the same first picture as the clip's opening did: the
// converter places its selection on that picture before the run starts.
#include "core.h"
#include "ffmpegresources.h"
#include "framesource.h"
#include "panel.h"

extern "C" {
#include <libavutil/log.h>
}

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

namespace {

// Clips whose streams declare larger pictures are left out: a few bytes can declare a
// picture of 16,000 x 16,000, which takes long to decode and runs through no other code of
// ours than a small one.
constexpr qint64 largestPicture = 256 * 256;
// A run decodes this many pictures and delivers this many frames at most, so that a clip of
// thousands of pictures, or of a rate that repeats each one without end, stays quick.
constexpr int pictureLimit = 6;
constexpr int deliveryLimit = 12;

// The fuzzer's bytes as a file in memory, which FFmpeg opens by its name like any clip.
class ClipFile
{
public:
    ClipFile() : descriptor(memfd_create("clip", 0))
    {
        if (descriptor < 0)
            std::abort();
        path = QStringLiteral("/proc/self/fd/%1").arg(descriptor);
    }
    ~ClipFile() { close(descriptor); }
    ClipFile(const ClipFile&) = delete;
    ClipFile& operator=(const ClipFile&) = delete;

    void write(const uint8_t* data, size_t size)
    {
        if (ftruncate(descriptor, 0) != 0 || pwrite(descriptor, data, size, 0) != ssize_t(size))
            std::abort();
    }

    QString path;

private:
    int descriptor;
};

// What the frame source, FFmpeg and Qt say about broken clips is nobody's business here.
void silence()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    av_log_set_level(AV_LOG_QUIET);
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
}

bool picturesAreSmall(const QString& path)
{
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.toUtf8().constData(), nullptr, nullptr) != 0)
        return true; // the frame source finds nothing either
    const ffmpeg::FormatContextPtr context(opened);
    if (avformat_find_stream_info(context.get(), nullptr) < 0)
        return true;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters* parameters = context->streams[i]->codecpar;
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO &&
            qint64(parameters->width) * parameters->height > largestPicture)
            return false;
    }
    return true;
}

// One run of the frame source over the clip; one decoder thread, which gives the same
// pictures as several and leaves the fuzzer no threads to wait for.
VideoInfo decode(Core& core, int limit, const FrameCallback& callback,
                 FrameSource** running = nullptr)
{
    FrameSource source(&core, core.stopRequested.beginRun(), limit, false);
    source.setDecoderThreads(1);
    if (running)
        *running = &source;
    return source.run(callback);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ClipFile clip;
    static const bool silenced = (silence(), true);
    Q_UNUSED(silenced);
    clip.write(data, size);
    if (!picturesAreSmall(clip.path))
        return 0;

    Core core;
    core.setFileName(clip.path);
    // The clip's opening, as the window and the converter open a clip.
    const QImage first = decode(core, 1, nullptr).firstFrame;

    Panel panel;
    panel.hz = 18;
    core.panel = &panel;
    FrameSource* source = nullptr;
    int deliveries = 0;
    int lastIndex = -1;
    const VideoInfo info = decode(
        core, pictureLimit,
        [&](QImage* frame, Core*, int index) {
            if (first.isNull() || frame->format() != QImage::Format_RGB888 ||
                frame->size() != first.size() || index < lastIndex)
                std::abort(); // a frame that is not whole, or one the opening did not see
            lastIndex = index;
            if (++deliveries == deliveryLimit)
                source->endRun();
        },
        &source);
    if (info.firstFrame != first || info.firstFrame.isNull() != (deliveries == 0))
        std::abort(); // the run began with another picture than the opening
    return 0;
}
