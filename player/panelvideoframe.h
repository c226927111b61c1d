#ifndef ROTAVIS_PANELVIDEOFRAME_H
#define ROTAVIS_PANELVIDEOFRAME_H

#include "fanframelines.h"
#include "fanviewpicture.h"
#include "yuvplanes.h"

#include <QSize>
#include <QVector>

#include <cstdint>
#include <vector>

class Panel;

// A frame of the fans' video: the picture FanViewPicture paints of the panel for an area of
// the video's size, centred on black, in the video's yuv420p. The straightforward way
// (paintReference) paints the picture and converts it. The fast way works out once which LED
// each pixel of the video shows, and each frame then takes every pixel's brightness and colour
// terms from a table of its LEDs, worked out once per LED; it gives the same bytes.
class PanelVideoFrame
{
public:
    // `panel` must stay as it is while this object draws it.
    void paint(const Panel& panel, const QVector<FanFrameLines>& fans, const YuvPlanes& planes);
    void paintReference(const Panel& panel, const QVector<FanFrameLines>& fans,
                        const YuvPlanes& planes);

private:
    bool prepare(const Panel& panel, const QVector<FanFrameLines>& fans, const QSize& size);
    bool fillPalette(const Panel& panel, const QVector<FanFrameLines>& fans);

    // The colour terms of an LED, summed over a 2 x 2 block for a colour sample.
    struct ColourTerms
    {
        int32_t blue;
        int32_t red;
    };

    FanViewPicture pictures;
    // What the layout was worked out for.
    const Panel* layoutPanel = nullptr;
    QSize layoutSize;
    QVector<int> layoutLines;
    // The layout: each pixel's entry of the palette (0: black, no LED), row by row, and the
    // LED slot of each entry: a fan's slots (line x slots per line + LED) follow each other
    // from its first slot on, slot 0 being black. -1 for a fan not drawn.
    std::vector<int32_t> entryOfPixel;
    std::vector<int32_t> slotOfEntry;
    QVector<int> firstSlot;
    QVector<int> slotsPerLine;
    // The colours of this frame by slot, three bytes each.
    std::vector<uint8_t> slotColours;
    // The palette of the current frame.
    std::vector<uint8_t> paletteLuma;
    std::vector<ColourTerms> paletteTerms;
};

#endif
