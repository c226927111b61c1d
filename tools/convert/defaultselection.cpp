#include "defaultselection.h"

#include "panel.h"
#include "viewgeometry.h"

#include <QWidget>

#include <cmath>

namespace {

// The selection frame takes the panel's size at one pixel per unit, truncated, never negative.
int frameLength(double panelLength)
{
    if (!(panelLength > 0))
        return 0;
    return panelLength >= double(QWIDGETSIZE_MAX) ? QWIDGETSIZE_MAX : int(panelLength);
}

} // namespace

QRectF defaultSelection(const QSize& picture, const Panel& panel)
{
    using namespace ViewGeometry;
    const PictureFit fit = fitPicture(previewViewGeometry.size(), picture);
    const QRect target = frameTarget(previewViewGeometry, fit.imageRect);
    const QRect frame =
        fitFrame(QSize(frameLength(panel.width), frameLength(panel.height)), target);
    return selectionRect(frame.topLeft(), frame.size(), previewViewGeometry.topLeft(),
                         fit.imageRect, fit.scale);
}
