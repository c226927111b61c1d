#ifndef ROTAVIS_VIEWGEOMETRY_H
#define ROTAVIS_VIEWGEOMETRY_H

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

// The arithmetic that places a picture in the preview view and the selection frame on the
// picture, and maps the frame back to source pixels. Kept free of widgets so that the window
// and a headless converter arrive at exactly the same numbers.
namespace ViewGeometry {

// Where a picture lands in the view: `scale` view pixels per source pixel, and the
// rectangle of the view, in view coordinates, that the scaled picture covers.
struct PictureFit
{
    double scale = 0.0;
    QRect imageRect; // null when there is no picture to place
};

// Fits `picture` into `view` keeping its aspect ratio, enlarging or reducing it, and centres
// it. The two ratios are taken in single precision, the scaled size is truncated and the
// centring halves toward zero. A picture without area gives scale 0 and a null imageRect.
PictureFit fitPicture(const QSize& view, const QSize& picture);

// The rectangle, in the coordinates of the view's parent, that the selection frame is fitted
// into: the picture's area centred on the view whose geometry is `viewGeometry`, or the
// whole view while `imageRect` is null (no picture placed yet).
QRect frameTarget(const QRect& viewGeometry, const QRect& imageRect);

// The largest rectangle of the proportions of `frame` that fits `target`, centred in it
// (QSize::scaled with Qt::KeepAspectRatio, centring halved toward zero).
QRect fitFrame(const QSize& frame, const QRect& target);

// The selection frame at `framePos` with `frameSize` (parent coordinates), over a view at
// `viewPos` showing its picture at `imageRect` and `scale`, as a rectangle of source pixels.
// Without a usable scale (0 or less: no picture) the result is the empty QRectF().
QRectF selectionRect(const QPoint& framePos, const QSize& frameSize, const QPoint& viewPos,
                     const QRect& imageRect, double scale);

} // namespace ViewGeometry

#endif
