#ifndef ROTAVIS_SAMPLING_H
#define ROTAVIS_SAMPLING_H

#include <QByteArray>
#include <QImage>
#include <QPair>
#include <QSize>
#include <QVector>

class BitPlaneTurn;
class Fan;
class Panel;

// Layer-image pixels per panel unit; truncated, also the side of the block one sample averages.
constexpr float imageScale = 3.0f;

// Samples 0x00RRGGBB from the hub outwards, one per panel unit.
using HalfLine = QVector<int>;
// One diameter of the fan: the half-line at angle theta, then the one at theta + 180.
using Line = QPair<HalfLine, HalfLine>;
// The diameters of one fan for one frame, in blade-position order.
using FanLines = QVector<Line>;

// The straightforward conversion of a frame, step by step as the fan data is defined: the
// reference that the tests hold the fast path (SampleMap, LineColours, PanelConversion) to,
// byte for byte.

// The two working pictures of a frame: the panel's selection at three pixels per panel unit.
// Fans of layer 0 are read from frameImage_z0, all others from frameImage_z1.
struct LayerImages
{
    QImage frameImage_z0;
    QImage frameImage_z1;
};

// W x H of the layer images: trunc(3 x width) by trunc(height x 3).
QSize layerImageSize(const Panel& panel);

// The panel's selection in whole pixels: rounded like Qt 5.15's QRectF::toRect(), but at least
// one pixel wide and high, so that a sliver of a selection still shows what it covers. A
// selection that rounds to nothing in both directions (the all-zero selection of a panel never
// saved) stays the null rectangle, which stands for the whole frame.
QRect selectedRegion(const QRectF& selection);

// Cuts the panel's selected region out of the frame, black where it leaves the frame, and
// scales it to W x H without smoothing, twice. Frames that are not RGB888 are converted
// first.
LayerImages buildLayerImages(const QImage& frame, const Panel& panel);

// The L diameters of a fan centred at (x, y) panel units, read from the RGB888 picture at
// `bits` (W x H pixels, `bytesPerLine` bytes a row). Line k points at -180 k / L degrees.
FanLines sampleLines(const uchar* bits, double x, double y, double ledpcs, double W, double H,
                     int bytesPerLine, int L);

// ceil(ledpcs / 2) samples along angle `theta` (degrees; the picture's y axis points down).
HalfLine sampleHalfLine(const uchar* bits, double x, double y, double ledpcs, double theta,
                        double W, double H, int bytesPerLine);

// Calls pixel(x, y) with the 0-based column and row of each pixel of the W x H picture that
// the 3 x 3 block of a sample at (X, Y) panel units covers; pixels beyond the picture are
// left out. Returns false, calling nothing, when the point itself lies outside the picture.
template <typename Pixel>
bool visitPixelBlock(double X, double Y, double W, double H, Pixel&& pixel)
{
    // The point in panel units is held against the picture's size in pixels; the per-pixel
    // tests below keep the block inside. Written so that a NaN point counts as outside too.
    if (!(X <= W) || !(Y <= H) || !(X > 0) || !(Y > 0))
        return false;
    constexpr int blockSide = int(imageScale);
    for (int i = 0; i < blockSide; ++i) {
        for (int j = 0; j < blockSide; ++j) {
            // Columns and rows count from 1 here.
            const int col = int(imageScale * X + i);
            const int row = int(imageScale * Y + j);
            if (col > W || row > H || col <= 0 || row <= 0)
                continue;
            pixel(col - 1, row - 1);
        }
    }
    return true;
}

// The average of the 3 x 3 pixel block at distance d and angle theta from (x, y), always
// divided by 9, so a block hanging over the picture's edge comes out darker. A point outside
// the picture is black.
int samplePixelBlock(const uchar* bits, double x, double y, double theta, double d, double W,
                     double H, int bytesPerLine);

// The processed LED bytes of one line: R, G, B of each sample of the first half-line, then of
// the second, through processLine. The buffer holds 3 x (n1 + n2) bytes, or the whole
// 768-byte packed block for the packed blade types.
QByteArray assembleLine(const Line& line, int lineIndex, BitPlaneTurn& turn);

// Samples `fan` on `layerImage` (an RGB888 layer image) and returns its whole frame record.
QByteArray fanFrameRecord(const QImage& layerImage, const Fan& fan, BitPlaneTurn& turn);

// The straightforward conversion of one frame: both layer images, the front-fan blending,
// then every fan's record in list order.
QVector<QByteArray> frameRecords(const QImage& frame, const Panel& panel, BitPlaneTurn& turn);

#endif
