#ifndef ROTAVIS_FRONTFANBLENDING_H
#define ROTAVIS_FRONTFANBLENDING_H

#include <QBrush>
#include <QPainterPath>

#include <vector>

class Fan;
class Panel;
class QGradient;
class QImage;
class QPainter;
class QString;

// A front fan (z = 1) spins in front of the fans of layer 0. Around every front fan a radial
// gradient covers its whole disc on layer 0, so the rear fans fade out behind it, and a second
// gradient covers the rim ring of width edgeOffset / 2 on layer 1, so the front fan's own
// picture fades into its edge. Both gradients take their colours from the panel's colour
// stops, squeezed into that rim band.

// Where a front fan's blending paints, in layer-image pixels (three per panel unit): its circle
// of diameter D at (left, top), the rim band `edge` pixels wide in diameter.
struct FrontFanGeometry
{
    FrontFanGeometry(const Fan& fan, int edgeOffset);

    double D;
    double R;
    int edge;
    double left;
    double top;
};

// The gradients and shapes of a panel's front fans, worked out once for a run: the colour
// stops are parsed here, not for every frame.
class FrontFanPaint
{
public:
    explicit FrontFanPaint(const Panel& panel);

    // Paints the gradients of every fan with z = 1 in list order. `painter0` works on the
    // layer-0 image and `painter1` on the layer-1 image, both antialiased; `painter0` draws
    // without pen.
    void paint(QPainter& painter0, QPainter& painter1) const;

    // Sets up both painters as above, paints, and ends them. Leaves the images untouched when
    // the panel has no front fan or either image is null.
    void paint(QImage& frameImage_z0, QImage& frameImage_z1) const;

private:
    struct FrontFan
    {
        QBrush disc;        // layer 0: over the whole circle
        QBrush rim;         // layer 1: over the rim ring
        QPainterPath outer; // the fan's circle
        QPainterPath ring;  // the circle less the inner circle
    };
    std::vector<FrontFan> fans;
};

// FrontFanPaint(panel).paint(...): for a single frame.
void paintFrontFanBlending(QPainter& painter0, QPainter& painter1, const Panel& panel);
void paintFrontFanBlending(QImage& frameImage_z0, QImage& frameImage_z1, const Panel& panel);

// Adds the stops of a colour-stop string such as "0:(0,0,0,255)|0.5:(0,0,0,128)|1:(0,0,0,0)"
// to `gradient`, position p landing at k + (1 - k) p. A stop without ":" or with fewer than
// four colour parts is skipped, and so is one whose position falls outside 0 ... 1.
void addColorStops(QGradient& gradient, const QString& stops, double k);

#endif
