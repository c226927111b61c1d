#include "viewgeometry.h"

#include <QtGlobal>

namespace ViewGeometry {

PictureFit fitPicture(const QSize& view, const QSize& picture)
{
    PictureFit fit;
    if (picture.width() <= 0 || picture.height() <= 0)
        return fit;

    // The ratios are single-precision values; the products below are taken in double,
    // which holds them exactly, so the truncation sees the true product of that scale.
    const float byHeight = float(view.height()) / float(picture.height());
    const float byWidth = float(view.width()) / float(picture.width());
    fit.scale = qMin(byHeight, byWidth);

    const int scaledWidth = int(picture.width() * fit.scale);
    const int scaledHeight = int(picture.height() * fit.scale);
    fit.imageRect = QRect((view.width() - scaledWidth) / 2, (view.height() - scaledHeight) / 2,
                          scaledWidth, scaledHeight);
    return fit;
}

QRect frameTarget(const QRect& viewGeometry, const QRect& imageRect)
{
    const QSize size = imageRect.isNull() ? viewGeometry.size() : imageRect.size();
    return QRect(viewGeometry.x() + (viewGeometry.width() - size.width()) / 2,
                 viewGeometry.y() + (viewGeometry.height() - size.height()) / 2, size.width(),
                 size.height());
}

QRect fitFrame(const QSize& frame, const QRect& target)
{
    const QSize size = frame.scaled(target.size(), Qt::KeepAspectRatio);
    return QRect(target.x() + (target.width() - size.width()) / 2,
                 target.y() + (target.height() - size.height()) / 2, size.width(), size.height());
}

QRectF selectionRect(const QPoint& framePos, const QSize& frameSize, const QPoint& viewPos,
                     const QRect& imageRect, double scale)
{
    if (!(scale > 0.0))
        return QRectF();
    return QRectF((framePos.x() - viewPos.x() - imageRect.left()) / scale,
                  (framePos.y() - viewPos.y() - imageRect.top()) / scale, frameSize.width() / scale,
                  frameSize.height() / scale);
}

} // namespace ViewGeometry
