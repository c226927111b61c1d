#ifndef ROTAVIS_DEFAULTSELECTION_H
#define ROTAVIS_DEFAULTSELECTION_H

#include <QRect>
#include <QRectF>
#include <QSize>

class Panel;

// Where the window's form puts the preview view inside the picture area.
const QRect previewViewGeometry(50, 40, 800, 550);

// The selection the window stores when the operator opens a picture of this size, chooses
// `panel` and saves without moving the frame: the largest frame of the panel's proportions,
// centred on the picture, in source pixels.
QRectF defaultSelection(const QSize& picture, const Panel& panel);

#endif
