#ifndef ROTAVIS_FRONTFANLAYERS_H
#define ROTAVIS_FRONTFANLAYERS_H

#include "frontfanblending.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class Panel;
class SampleMap;

// The front-fan blending of the fast conversion, for the pixels that samples read.
//
// The gradients are painted exactly as the straightforward version paints them
// (paintFrontFanBlending), onto layer images of the full W x H size, so that every span, and
// so every painted pixel, is the same. Those images are only reserved address space: only the
// pixels that samples read are filled in from the frame, and only the pages the painter
// touches take memory. Blending works pixel by pixel, so those pixels come out as in the full
// picture.
//
// Painting the same gradients on every frame is wasted work: the painter lays a colour s,
// already weighed by the pixel's coverage, over the picture, and every channel becomes
// s + d (255 - a) / 255 in the raster engine's integer arithmetic (d the picture's byte, a
// the alpha of s). So the first frame paints three probes (all black, all white, random
// bytes), learns s and a for each pixel from the first two and checks the third against
// them; from then on each frame is blended by that arithmetic alone. Where a pixel may be
// painted by two front fans, or the probe does not check out, every frame is painted.
class FrontFanLayers
{
public:
    FrontFanLayers(const Panel& panel, const SampleMap& map);
    ~FrontFanLayers();
    FrontFanLayers(const FrontFanLayers&) = delete;
    FrontFanLayers& operator=(const FrontFanLayers&) = delete;

    // The blended pixels for `frame` (RGB888 as the map expects).
    void paint(const uchar* frame);

    // 3 bytes per painted pixel of layer 0 or 1, in the map's order.
    const uchar* painted(int layer) const { return m_painted[layer].data(); }

    // Whether the blending of a layer is learned rather than painted every frame.
    bool learned(int layer) const { return !m_blend[layer].empty(); }

private:
    struct Reservation
    {
        uchar* bits = nullptr;
        std::size_t bytes = 0;
    };
    using Fill = std::function<void(int layer, size_t pixel, uchar* rgb)>;

    void paintLayers(const Fill& fill);
    void learn();

    const SampleMap& m_map;
    const FrontFanPaint m_paint;
    Reservation m_layers[2];
    std::vector<uchar> m_painted[2];
    std::vector<uchar> m_blend[2]; // per painted pixel: s (R, G, B) and 255 - a
    // Per painted pixel of a learned layer: its frame offset, -1 outside the frame and for
    // those at the very end of the frame, which are listed apart.
    std::vector<std::int32_t> m_blendOffsets[2];
    std::vector<size_t> m_blendedAtEnd[2];
};

#endif
