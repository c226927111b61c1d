#include "adjustmentstage.h"

#include <cstring>

AdjustmentStage::AdjustmentStage(const PictureAdjustments& adjustments, VectorKernel kernel)
    : adjustments(adjustments), colours(adjustments, kernel)
{
}

QImage AdjustmentStage::apply(const QImage& picture)
{
    if (adjustments.unchanged() || picture.isNull())
        return picture;
    // The colours are changed after the turn (each pixel's own), where they are read.
    QImage adjusted = picture;
    if (!adjustments.turnUnchanged()) {
        adjusted = freeTurnedImage(adjustments.turnedSize(picture.size()));
        if (adjusted.isNull())
            return QImage(); // no memory for it
        turn(picture, adjustments.rotation, adjustments.mirror, &adjusted);
    }
    if (!colours.changesNothing()) {
        prepareRuns(adjusted);
        adjustRuns(adjusted, readRuns, readParts);
    }
    return adjusted;
}

void AdjustmentStage::setReadPixels(ReadPixels pixels)
{
    readPixels = std::move(pixels);
    runsSize = QSize(); // the runs are asked for again
}

QImage AdjustmentStage::completed(const QImage& picture)
{
    if (colours.changesNothing() || !readPixels || picture.isNull())
        return picture;
    prepareRuns(picture);
    QImage copy = picture.copy();
    if (copy.isNull())
        return picture; // no memory for it: shown as it is
    adjustRuns(copy, otherRuns, otherParts);
    return copy;
}

namespace {

// Where each of `parts` parts of `runs` with about as many pixels starts, and the end.
std::vector<size_t> partsOf(const PixelRuns& runs, int parts)
{
    qint64 pixels = 0;
    for (const PixelRun& run : runs)
        pixels += run.end - run.begin;
    std::vector<size_t> starts{0};
    qint64 counted = 0;
    for (size_t r = 0; r < runs.size(); ++r) {
        counted += runs[r].end - runs[r].begin;
        if (counted * parts >= pixels * qint64(starts.size()) && int(starts.size()) < parts)
            starts.push_back(r + 1);
    }
    while (starts.size() < size_t(parts) + 1)
        starts.push_back(runs.size());
    return starts;
}

} // namespace

// The runs of pictures like `picture`, worked out again when the size changes.
void AdjustmentStage::prepareRuns(const QImage& picture)
{
    if (picture.size() == runsSize && picture.bytesPerLine() == runsBytesPerLine)
        return;
    runsSize = picture.size();
    runsBytesPerLine = int(picture.bytesPerLine());
    if (readPixels) {
        readRuns = readPixels(picture.size(), runsBytesPerLine);
    } else {
        readRuns.clear();
        for (int y = 0; y < picture.height(); ++y)
            readRuns.push_back({y, 0, picture.width()});
    }
    otherRuns = pixelRunsOutside(readRuns, picture.size());
    // A few parts per thread, so that one slowed down is made up for by the others.
    constexpr int parts = 8;
    readParts = partsOf(readRuns, parts);
    otherParts = partsOf(otherRuns, parts);
}

void AdjustmentStage::adjustRuns(const QImage& picture, const PixelRuns& runs,
                                 const std::vector<size_t>& partStarts)
{
    if (!workers)
        workers = std::make_unique<FanWorkers>(2);
    // Written through the constant pixels: a write through the image would detach it from
    // the holder of the buffer, which is the caller (or this stage).
    uchar* pixels = const_cast<uchar*>(picture.constBits());
    const qsizetype rowBytes = picture.bytesPerLine();
    workers->run(int(partStarts.size()) - 1, [&](int part) {
        colours.applyRuns(pixels, rowBytes, runs.data() + partStarts[size_t(part)],
                          runs.data() + partStarts[size_t(part) + 1]);
    });
}

QImage AdjustmentStage::adjusted(const QImage& picture, const PictureAdjustments& adjustments)
{
    if (adjustments.unchanged() || picture.isNull())
        return picture;
    QImage copy = picture.convertToFormat(QImage::Format_RGB888);
    copy.detach();
    AdjustmentStage stage(adjustments);
    return stage.apply(copy);
}

// A turned image that only this stage holds, or a new one; the others nobody holds are let go.
QImage AdjustmentStage::freeTurnedImage(const QSize& size)
{
    QImage* free = nullptr;
    for (auto it = turnedImages.begin(); it != turnedImages.end();) {
        if (!it->isDetached() || it->size() != size) {
            if (it->isDetached()) {
                it = turnedImages.erase(it);
                continue;
            }
            ++it;
        } else if (!free) {
            free = &*it;
            ++it;
        } else {
            it = turnedImages.erase(it);
        }
    }
    if (free)
        return *free;
    QImage image(size, QImage::Format_RGB888);
    if (!image.isNull())
        turnedImages.push_back(image);
    return image;
}

void AdjustmentStage::turn(const QImage& picture, int rotation, bool mirror, QImage* turned)
{
    const int width = picture.width();
    const int height = picture.height();
    const int turnedWidth = turned->width();
    const uchar* source = picture.constBits();
    const qsizetype sourceRow = picture.bytesPerLine();
    // Written through the constant pixels, for the reason apply() gives.
    uchar* target = const_cast<uchar*>(turned->constBits());
    const qsizetype targetRow = turned->bytesPerLine();
    for (int ty = 0; ty < turned->height(); ++ty) {
        uchar* out = target + ty * targetRow;
        for (int tx = 0; tx < turnedWidth; ++tx) {
            // The pixel of the rotated picture at (rx, ty), and where it came from.
            const int rx = mirror ? turnedWidth - 1 - tx : tx;
            int sx = rx;
            int sy = ty;
            if (rotation == 90) {
                sx = ty;
                sy = height - 1 - rx;
            } else if (rotation == 180) {
                sx = width - 1 - rx;
                sy = height - 1 - ty;
            } else if (rotation == 270) {
                sx = width - 1 - ty;
                sy = rx;
            }
            std::memcpy(out + tx * 3, source + sy * sourceRow + sx * 3, 3);
        }
    }
}
