#include "frontfanlayers.h"

#include "samplemap.h"

#include <QImage>

#include <cstring>
#include <new>
#include <sys/mman.h>

#ifdef ROTAVIS_AVX2_KERNELS
#include <immintrin.h>
#endif

namespace {

// The raster engine's product of a byte and an 8-bit alpha (its BYTE_MUL, per channel).
inline uchar byteMul(unsigned value, unsigned alpha)
{
    const unsigned t = value * alpha;
    return uchar((t + (t >> 8) + 0x80) >> 8);
}

// The learned blending of one pixel: each channel becomes s + d (255 - a) / 255 (`blend`
// holds s and 255 - a), d the frame's byte, 0 where the pixel lies outside the frame
// (offset < 0).
inline void blendPixel(std::int32_t offset, const uchar* blend, const uchar* frame, uchar* out)
{
    const unsigned rest = blend[3];
    for (int c = 0; c < 3; ++c) {
        const unsigned d = offset >= 0 ? frame[offset + c] : 0;
        out[c] = uchar(blend[c] + byteMul(d, rest));
    }
}

#ifdef ROTAVIS_AVX2_KERNELS
// byteMul in 16-bit lanes.
__attribute__((target("avx2"))) inline __m256i byteMuls(__m256i values, __m256i alphas)
{
    const __m256i t = _mm256_mullo_epi16(values, alphas);
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), _mm256_set1_epi16(0x80)), 8);
}

// blendPixel for eight pixels at a time, from the first; each pixel is read as 4 bytes, so
// none may lie in the frame's last 3 bytes. Returns the pixels it did.
__attribute__((target("avx2"))) size_t blendPixelsAvx2(size_t count, const std::int32_t* offsets,
                                                       const uchar* blend, const uchar* frame,
                                                       uchar* out)
{
    const __m256i zero = _mm256_setzero_si256();
    // 255 - a into all four bytes of its pixel; R, G, B of the four pixels of each half.
    const __m256i spreadRest =
        _mm256_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15, 3, 3, 3, 3, 7, 7,
                         7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
    const __m256i rgb = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                         1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i where = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets + i));
        const __m256i inside = _mm256_cmpgt_epi32(where, _mm256_set1_epi32(-1));
        const __m256i d = _mm256_mask_i32gather_epi32(zero, reinterpret_cast<const int*>(frame),
                                                      where, inside, 1);
        const __m256i sRest = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(blend + 4 * i));
        const __m256i rest = _mm256_shuffle_epi8(sRest, spreadRest);
        const __m256i low =
            byteMuls(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(rest, zero));
        const __m256i high =
            byteMuls(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(rest, zero));
        const __m256i blended =
            _mm256_shuffle_epi8(_mm256_add_epi8(sRest, _mm256_packus_epi16(low, high)), rgb);
        uchar* target = out + 3 * i;
        for (const __m128i part :
             {_mm256_castsi256_si128(blended), _mm256_extracti128_si256(blended, 1)}) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(target), part);
            const std::uint32_t last = std::uint32_t(_mm_extract_epi32(part, 2));
            std::memcpy(target + 8, &last, 4);
            target += 12;
        }
    }
    return i;
}
#endif

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
#ifdef ROTAVIS_AVX2_KERNELS
        if (usesAvx2(m_map.kernel()))
            done = blendPixelsAvx2(offsets.size(), offsets.data(), blend, frame, out);
#endif
        for (size_t i = done; i < offsets.size(); ++i)
            blendPixel(offsets[i], blend + 4 * i, frame, out + 3 * i);
        // The pixels at the very end of the frame, left out above.
        const auto& pixels = m_map.paintedPixels(layer);
        for (const size_t i : m_blendedAtEnd[layer])
            blendPixel(pixels[i].frameOffset, blend + 4 * i, frame, out + 3 * i);
    }
}
