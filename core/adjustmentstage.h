#ifndef ROTAVIS_ADJUSTMENTSTAGE_H
#define ROTAVIS_ADJUSTMENTSTAGE_H

#include "colouradjustment.h"
#include "pictureadjustments.h"

#include <QImage>

#include <vector>

// The picture adjustments as a stage of the data path: between the decoded RGB888 picture
// and everything that reads it (the selection, the preview, the fan view, the conversion).
// The colours are changed in place; a turn writes the picture into an image of the turned
// size. With neutral values the picture is passed on untouched.
class AdjustmentStage
{
public:
    explicit AdjustmentStage(const PictureAdjustments& adjustments,
                             VectorKernel kernel = selectedVectorKernel());

    const PictureAdjustments& values() const { return adjustments; }

    // The part of the (turned) picture that its consumer reads; only there are the colours
    // changed. A null rectangle (the default) stands for the whole picture.
    void setReadRegion(const QRect& region) { readRegion = region; }

    // The adjusted picture. The pixels of `picture` are changed in place (the caller holds
    // every reference to them); with a turn the result is another image, taken from images
    // this stage made before and nobody holds any longer, so a consumer may keep it.
    QImage apply(const QImage& picture);

    // An adjusted copy of `picture`, which stays as it is.
    static QImage adjusted(const QImage& picture, const PictureAdjustments& adjustments);

    // `picture` turned by `rotation` degrees clockwise, then mirrored left to right with
    // `mirror`, into `turned` (which must have the turned size and the same format).
    static void turn(const QImage& picture, int rotation, bool mirror, QImage* turned);

private:
    QImage freeTurnedImage(const QSize& size);

    PictureAdjustments adjustments;
    ColourAdjustment colours;
    std::vector<QImage> turnedImages;
    QRect readRegion;
};

#endif
