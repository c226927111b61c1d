#include "frontfanlayers.h"

#include "frontfanblending.h"
#include "samplemap.h"

#include <QImage>

#include <cstring>
#include <new>
#include <sys/mman.h>

FrontFanLayers::FrontFanLayers(const Panel& panel, const SampleMap& map)
    : m_panel(panel), m_map(map)
{
    const qint64 bytes = qint64(map.layerBytesPerLine()) * map.layerSize().height();
    for (int layer = 0; layer < 2; ++layer) {
        const auto& pixels = map.paintedPixels(layer);
        if (pixels.empty() || bytes <= 0)
            continue;
        // Address space only: pages take memory when the painter or the fill touches them.
        void* bits = mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (bits == MAP_FAILED)
            throw std::bad_alloc();
        m_layers[layer] = {static_cast<uchar*>(bits), size_t(bytes)};
        m_painted[layer].resize(3 * pixels.size());
    }
}

FrontFanLayers::~FrontFanLayers()
{
    for (const Reservation& layer : m_layers) {
        if (layer.bits)
            munmap(layer.bits, layer.bytes);
    }
}

void FrontFanLayers::paint(const uchar* frame)
{
    if (!m_layers[0].bits && !m_layers[1].bits)
        return;
    const QSize size = m_map.layerSize();
    QImage images[2];
    for (int layer = 0; layer < 2; ++layer) {
        if (!m_layers[layer].bits) {
            // No sample reads this layer's painting: a stand-in the painter clips away.
            images[layer] = QImage(1, 1, QImage::Format_RGB888);
            continue;
        }
        uchar* bits = m_layers[layer].bits;
        for (const SampleMap::PaintedPixel& pixel : m_map.paintedPixels(layer)) {
            uchar* target = bits + pixel.layerOffset;
            if (pixel.frameOffset >= 0)
                std::memcpy(target, frame + pixel.frameOffset, 3);
            else
                std::memset(target, 0, 3);
        }
        images[layer] = QImage(bits, size.width(), size.height(), m_map.layerBytesPerLine(),
                               QImage::Format_RGB888);
    }

    paintFrontFanBlending(images[0], images[1], m_panel);

    for (int layer = 0; layer < 2; ++layer) {
        if (!m_layers[layer].bits)
            continue;
        const uchar* bits = m_layers[layer].bits;
        uchar* out = m_painted[layer].data();
        for (const SampleMap::PaintedPixel& pixel : m_map.paintedPixels(layer)) {
            std::memcpy(out, bits + pixel.layerOffset, 3);
            out += 3;
        }
    }
}
