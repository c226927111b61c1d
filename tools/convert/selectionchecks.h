#ifndef ROTAVIS_SELECTIONCHECKS_H
#define ROTAVIS_SELECTIONCHECKS_H

#include <QRectF>
#include <QSize>
#include <QString>

class Panel;

// What rotavis-convert says about a --selection that the window could never make: the
// window's frame always lies over the picture, has a size and keeps the panel's proportions.
namespace SelectionChecks {

// The selection as --selection takes it: "X,Y,W,H".
QString text(const QRectF& selection);

// Why the numbers cannot be a selection (beyond the limits of the conversion's arithmetic,
// or no width or height), naming the value; empty when they can.
QString valueProblem(const QRectF& selection);

// Why the selection shows nothing of a picture of size `picture` (it lies wholly outside the
// pixels a run reads); empty when it shows some of it.
QString outsideProblem(const QRectF& selection, const QSize& picture);

// A warning when the selection's proportions differ from the panel's by more than 1 %: the
// fans then show the picture stretched. Empty when they agree.
QString proportionWarning(const QRectF& selection, const Panel& panel);

} // namespace SelectionChecks

#endif
