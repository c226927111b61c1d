#ifndef ROTAVIS_FRONTFANLAYERS_H
#define ROTAVIS_FRONTFANLAYERS_H

#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <vector>

class Panel;
class SampleMap;

// The front-fan blending of the fast conversion. The gradients are painted exactly as the
// straightforward version paints them (paintFrontFanBlending), onto layer images of the full
// W x H size, so that every span, and so every painted pixel, is the same. Those images are
// only reserved address space: before painting, only the pixels that samples read are filled
// in from the frame, and only the pages the painter touches ever take memory. Blending
// works pixel by pixel, so the pixels that are filled in come out as in the full picture.
class FrontFanLayers
{
public:
    FrontFanLayers(const Panel& panel, const SampleMap& map);
    ~FrontFanLayers();
    FrontFanLayers(const FrontFanLayers&) = delete;
    FrontFanLayers& operator=(const FrontFanLayers&) = delete;

    // Paints the blending for `frame` (RGB888 as the map expects) and gathers the painted
    // pixels that samples read.
    void paint(const uchar* frame);

    // 3 bytes per painted pixel of layer 0 or 1, in the map's order.
    const uchar* painted(int layer) const { return m_painted[layer].data(); }

private:
    struct Reservation
    {
        uchar* bits = nullptr;
        std::size_t bytes = 0;
    };

    const Panel& m_panel;
    const SampleMap& m_map;
    Reservation m_layers[2];
    std::vector<uchar> m_painted[2];
};

#endif
