// How long the video writer takes per frame: pictures like a panel's fan view (black, with
// coloured discs that turn and drift) encoded into an MP4 file, with each encoder the writer
// can choose, at the sizes of a square and a 3:2 panel with a 1080-pixel longer side. Prints
// the frames per second of the whole run (writes and finish), the processor time per frame of
// all threads, the share of that wall time spent converting pictures to yuv420p, and the
// size of the file. The pictures are made before the clock starts.
//
//   bench_videowriter [FRAMES]   (default 300)

#include "discpicture.h"
#include "videowriter.h"
#include "yuvconverter.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

// Distinct pictures, cycled: enough that the encoder never sees a repeat within its look-ahead.
constexpr int distinctPictures = 60;
constexpr double rate = 25;

double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Milliseconds per picture for the RGB to yuv420p conversion alone.
double conversionMs(const std::vector<QImage>& pictures, const QSize& size, int frames)
{
    YuvConverter converter;
    ffmpeg::FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = size.width();
    frame->height = size.height();
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i)
        converter.convert(pictures[size_t(i) % pictures.size()], frame.get());
    return double(timer.nsecsElapsed()) / 1e6 / frames;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // for painting the pictures
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    av_log_set_level(AV_LOG_ERROR); // the encoder's statistics
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    std::printf("%d frames at %.0f Hz, %d distinct pictures\n\n", frames, rate, distinctPictures);
    std::printf("| encoder | size | frames/s | processor ms/frame | conversion ms/frame | MiB |\n");
    std::printf("|---|---|---|---|---|---|\n");
    const QSize sizes[] = {QSize(1080, 1080), VideoWriter::videoSize(QSizeF(960, 640), 1080)};
    for (const QSize& size : sizes) {
        std::vector<QImage> pictures;
        for (int i = 0; i < distinctPictures; ++i)
            pictures.push_back(discPicture(size, i));
        const double convertMs = conversionMs(pictures, size, std::min(frames, 100));
        for (const auto codec : {VideoWriter::Codec::Preferred, VideoWriter::Codec::Mpeg4}) {
            const QString path = dir.filePath("bench.mp4");
            VideoWriter writer;
            writer.setCodec(codec);
            const double processorStart = processorSeconds();
            QElapsedTimer timer;
            timer.start();
            bool ok = writer.open(path, size, rate);
            for (int i = 0; ok && i < frames; ++i)
                ok = writer.write(pictures[size_t(i) % pictures.size()]);
            ok = ok && writer.finish();
            const double seconds = double(timer.nsecsElapsed()) / 1e9;
            const double processor = processorSeconds() - processorStart;
            if (!ok) {
                std::fprintf(stderr, "%s\n", qPrintable(writer.errorString()));
                return 1;
            }
            std::printf("| %s | %dx%d | %.1f | %.1f | %.1f | %.2f |\n",
                        qPrintable(writer.encoderName()), size.width(), size.height(),
                        frames / seconds, processor * 1000 / frames, convertMs,
                        double(QFileInfo(path).size()) / (1024 * 1024));
        }
    }
    return 0;
}
