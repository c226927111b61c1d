#include "frontfanlayers.h"

#include "kernels/frontfanblendkernels.h"
#include "samplemap.h"

#include <QImage>

#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

void release(uchar*& bits, std::size_t bytes)
{
    if (bits)
        munmap(bits, bytes);
    bits = nullptr;
}

} // namespace

FrontFanLayers::FrontFanLayers(const Panel& panel, const SampleMap& map)
    : m_map(map), m_paint(panel)
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
    learn();
}

FrontFanLayers::~FrontFanLayers()
{
    for (Reservation& layer : m_layers)
        release(layer.bits, layer.bytes);
}

void FrontFanLayers::paintLayers(const Fill& fill)
{
    const QSize size = m_map.layerSize();
    QImage images[2];
    for (int layer = 0; layer < 2; ++layer) {
        if (!m_layers[layer].bits) {
            // No sample reads this layer's painting: a stand-in the painter clips away.
            images[layer] = QImage(1, 1, QImage::Format_RGB888);
            continue;
        }
        uchar* bits = m_layers[layer].bits;
        const auto& pixels = m_map.paintedPixels(layer);
        for (size_t i = 0; i < pixels.size(); ++i)
            fill(layer, i, bits + pixels[i].layerOffset);
        images[layer] = QImage(bits, size.width(), size.height(), m_map.layerBytesPerLine(),
                               QImage::Format_RGB888);
    }

    m_paint.paint(images[0], images[1]);

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

void FrontFanLayers::learn()
{
    if (!m_layers[0].bits && !m_layers[1].bits)
        return;
    std::vector<uchar> black[2];
    std::vector<uchar> white[2];
    paintLayers([](int, size_t, uchar* rgb) { std::memset(rgb, 0, 3); });
    for (int layer = 0; layer < 2; ++layer)
        black[layer] = m_painted[layer];
    paintLayers([](int, size_t, uchar* rgb) { std::memset(rgb, 255, 3); });
    for (int layer = 0; layer < 2; ++layer)
        white[layer] = m_painted[layer];
    auto probeByte = [](int layer, size_t pixel, int channel) {
        quint32 state = quint32(pixel * 3 + size_t(channel)) * 2654435761u + quint32(layer);
        state ^= state >> 15;
        state *= 2246822519u;
        return uchar(state >> 24);
    };
    paintLayers([&](int layer, size_t pixel, uchar* rgb) {
        for (int c = 0; c < 3; ++c)
            rgb[c] = probeByte(layer, pixel, c);
    });

    for (int layer = 0; layer < 2; ++layer) {
        if (!m_layers[layer].bits || m_map.paintedOverAgain(layer))
            continue;
        const size_t pixels = m_map.paintedPixels(layer).size();
        std::vector<uchar> blend(4 * pixels);
        bool checksOut = true;
        for (size_t i = 0; i < pixels && checksOut; ++i) {
            const uchar* s = &black[layer][3 * i];
            const uchar* w = &white[layer][3 * i];
            // White comes out as s + (255 - a): the same 255 - a in every channel.
            const int rest = w[0] - s[0];
            for (int c = 0; c < 3; ++c) {
                const uchar probe = probeByte(layer, i, c);
                checksOut = checksOut && w[c] - s[c] == rest && rest >= 0 &&
                            m_painted[layer][3 * i + size_t(c)] ==
                                uchar(s[c] + byteMul(probe, unsigned(rest)));
                blend[4 * i + size_t(c)] = s[c];
            }
            blend[4 * i + 3] = uchar(rest);
        }
        if (checksOut) {
            m_blend[layer].swap(blend);
            release(m_layers[layer].bits, m_layers[layer].bytes);
            // Read as 4 bytes each: a pixel in the frame's last 3 bytes is blended apart.
            const qint64 frameBytes =
                qint64(m_map.frameBytesPerLine()) * m_map.frameSize().height();
            const auto& painted = m_map.paintedPixels(layer);
            m_blendOffsets[layer].resize(pixels);
            for (size_t i = 0; i < pixels; ++i) {
                const std::int32_t offset = painted[i].frameOffset;
                const bool atEnd = offset >= 0 && offset + qint64(4) > frameBytes;
                m_blendOffsets[layer][i] = atEnd ? -1 : offset;
                if (atEnd)
                    m_blendedAtEnd[layer].push_back(i);
            }
        }
    }
}

void FrontFanLayers::paint(const uchar* frame)
{
    if (m_layers[0].bits || m_layers[1].bits) {
        paintLayers([&](int layer, size_t pixel, uchar* rgb) {
            const qint32 offset = m_map.paintedPixels(layer)[pixel].frameOffset;
            if (offset >= 0)
                std::memcpy(rgb, frame + offset, 3);
            else
                std::memset(rgb, 0, 3);
        });
    }
    for (int layer = 0; layer < 2; ++layer) {
        if (m_blend[layer].empty())
            continue;
        const uchar* blend = m_blend[layer].data();
        uchar* out = m_painted[layer].data();
        const std::vector<std::int32_t>& offsets = m_blendOffsets[layer];
        size_t done = 0;
#ifdef ROTAVIS_X86_KERNELS
        if (usesAvx2(m_map.kernel()))
            done = blendPixelsAvx2(offsets.size(), offsets.data(), blend, frame, out);
#endif
        blendPixelsScalar(done, offsets.size(), offsets.data(), blend, frame, out);
        // The pixels at the very end of the frame, left out above.
        const auto& pixels = m_map.paintedPixels(layer);
        for (const size_t i : m_blendedAtEnd[layer])
            blendPixel(pixels[i].frameOffset, blend + 4 * i, frame, out + 3 * i);
    }
}
