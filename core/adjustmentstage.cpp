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
    // The colours are changed after the turn (each pixel's own), where the region is given.
    QImage adjusted = picture;
    if (!adjustments.turnUnchanged()) {
        adjusted = freeTurnedImage(adjustments.turnedSize(picture.size()));
        if (adjusted.isNull())
            return QImage(); // no memory for it
        turn(picture, adjustments.rotation, adjustments.mirror, &adjusted);
    }
    if (!colours.changesNothing()) {
        // Written through the constant pixels: a write through the image would detach it
        // from the holder of the buffer, which is the caller (or this stage).
        uchar* pixels = const_cast<uchar*>(adjusted.constBits());
        if (const PixelRuns* runs = runsFor(adjusted))
            colours.applyRuns(pixels, adjusted.bytesPerLine(), *runs);
        else
            colours.apply(pixels, adjusted.width(), adjusted.height(), adjusted.bytesPerLine());
    }
    return adjusted;
}

void AdjustmentStage::setReadPixels(ReadPixels pixels)
{
    readPixels = std::move(pixels);
    runsSize = QSize();
}

void AdjustmentStage::completePicture(const QImage& picture)
{
    if (colours.changesNothing() || !readPixels || picture.isNull())
        return;
    runsFor(picture);
    // Written through the constant pixels, for the reason apply() gives.
    colours.applyRuns(const_cast<uchar*>(picture.constBits()), picture.bytesPerLine(), otherRuns);
}

// The runs apply() adjusts in a picture like `picture`; null for the whole picture.
const PixelRuns* AdjustmentStage::runsFor(const QImage& picture)
{
    if (!readPixels)
        return nullptr;
    if (picture.size() != runsSize || picture.bytesPerLine() != runsBytesPerLine) {
        readRuns = readPixels(picture.size(), int(picture.bytesPerLine()));
        otherRuns = pixelRunsOutside(readRuns, picture.size());
        runsSize = picture.size();
        runsBytesPerLine = int(picture.bytesPerLine());
    }
    return &readRuns;
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
