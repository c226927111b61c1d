#ifndef ROTAVIS_ADJUSTMENTSTAGE_H
#define ROTAVIS_ADJUSTMENTSTAGE_H

#include "colouradjustment.h"
#include "fanworkers.h"
#include "pictureadjustments.h"
#include "pixelruns.h"

#include <QImage>

#include <functional>
#include <memory>
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

    // The pixels of a (turned) picture of a size that its consumer reads: only there does
    // apply() change the colours. By default, the whole picture.
    using ReadPixels = std::function<PixelRuns(QSize size, int bytesPerLine)>;
    void setReadPixels(ReadPixels readPixels);

    // A copy of `picture`, a picture that apply() returned, with the colours of the pixels
    // apply() left as they were changed too: for a picture that is also shown whole. The
    // picture itself stays as it is: its consumer may be reading it, and it may be delivered
    // again.
    QImage completed(const QImage& picture);

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
    void prepareRuns(const QImage& picture);
    void adjustRuns(const QImage& picture, const PixelRuns& runs,
                    const std::vector<size_t>& partStarts);

    PictureAdjustments adjustments;
    ColourAdjustment colours;
    std::vector<QImage> turnedImages;
    ReadPixels readPixels;
    // The runs apply() adjusts in pictures of the last size it met (every row whole, without
    // readPixels), those it leaves out, and where each part of them starts (see adjustRuns).
    QSize runsSize;
    int runsBytesPerLine = 0;
    PixelRuns readRuns;
    PixelRuns otherRuns;
    std::vector<size_t> readParts;
    std::vector<size_t> otherParts;
    // Helpers that adjust parts of a picture beside the caller: the frame source's thread,
    // which the conversion waits for. Made with the first picture whose colours change.
    std::unique_ptr<FanWorkers> workers;
};

#endif
