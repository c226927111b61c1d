// The picture adjustments' colour steps on one 1920 x 1080 frame of the moving test pattern's
// kind (flat areas, gradients and noise), per path: the table per channel (saturation
// unchanged), and the pixel-wise path, portable and AVX2. Prints the median of 15 runs, in
// processor time of the thread (the machine is shared: wall time would count the others).
//
//   bench_adjust

#include "colouradjustment.h"

#include <QImage>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

QImage testFrame()
{
    QImage image(1920, 1080, QImage::Format_RGB888);
    std::mt19937 random(7);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            uchar* pixel = row + 3 * x;
            if (x < 640) { // colour bars
                const int bar = x / 80;
                pixel[0] = bar & 1 ? 235 : 16;
                pixel[1] = bar & 2 ? 235 : 16;
                pixel[2] = bar & 4 ? 235 : 16;
            } else if (x < 1280) { // gradients
                pixel[0] = uchar(x - 640);
                pixel[1] = uchar(y / 4);
                pixel[2] = uchar((x + y) / 8);
            } else { // noise
                for (int c = 0; c < 3; ++c)
                    pixel[c] = uchar(random());
            }
        }
    }
    return image;
}

double threadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double medianMs(const QImage& frame, const PictureAdjustments& values, VectorKernel kernel)
{
    const ColourAdjustment adjustment(values, kernel);
    std::vector<double> times;
    for (int run = 0; run < 15; ++run) {
        QImage copy = frame.copy();
        const double start = threadMs();
        adjustment.apply(copy.bits(), copy.width(), copy.height(), copy.bytesPerLine());
        times.push_back(threadMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    const QImage frame = testFrame();
    PictureAdjustments tables;
    tables.brightness = 0.1;
    tables.contrast = 1.2;
    tables.gamma = 1.8;
    PictureAdjustments all = tables;
    all.saturation = 1.4;
    std::printf("| path | ms per 1920 x 1080 frame |\n|---|---|\n");
    std::printf("| table per channel (saturation 1) | %.2f |\n",
                medianMs(frame, tables, VectorKernel::Portable));
    std::printf("| all four values, portable | %.2f |\n",
                medianMs(frame, all, VectorKernel::Portable));
    if (runsHere(VectorKernel::Avx2))
        std::printf("| all four values, AVX2 | %.2f |\n", medianMs(frame, all, VectorKernel::Avx2));
    return 0;
}
