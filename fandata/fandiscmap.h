#ifndef ROTAVIS_FANDISCMAP_H
#define ROTAVIS_FANDISCMAP_H

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QVector>

// The round picture of a spinning fan at one size: which LED of which blade position colours
// each pixel is worked out once, and each frame then only copies colours. The fan view
// (renderFanView) is this picture at a size where single LEDs can be told apart.
class FanDiscMap
{
public:
    // A disc `side` pixels across for a blade of `ledpcs` LEDs and `lineCount` positions.
    FanDiscMap(int ledpcs, int lineCount, int side);

    int side() const { return discSide; }
    int ledpcs() const { return leds; }
    int lineCount() const { return lines; }

    // Paints the LEDs onto `target` (RGB888) with the disc's corner at `at`; pixels of no LED
    // and pixels outside the target are left as they are. `colours` holds the LED colours of
    // each blade position (ledColours of its line data).
    void paint(QImage& target, const QPoint& at, const QVector<QByteArray>& colours) const;

    // The LED slot of each pixel, row by row: line x slotsPerLine() + LED, or -1 for a pixel
    // of no LED. The colours of `paint` hold their LEDs in this order.
    const QVector<int>& pixelSlots() const { return ledOfPixel; }
    int slotsPerLine() const { return lineLeds; }

    // The disc alone, on black.
    QImage render(const QVector<QByteArray>& colours) const;

private:
    int leds;
    int lines;
    int discSide;
    int lineLeds;            // LED slots of one blade position: both half-lines
    QVector<int> ledOfPixel; // row by row: line x lineLeds + LED, or -1
};

#endif
