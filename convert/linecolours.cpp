#include "linecolours.h"

#include "bladetypes.h"
#include "kernels/linecolourkernels.h"
#include "ledprocessing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// dimmedByte(v, factor) as an integer product: (v x multiplier + 2^23) >> 24, with a
// multiplier near factor x 2^24 that gives the very same byte for every v, checked when the
// tables are made. The hub factors are constants: should one of them ever have no such
// multiplier, the first conversion stops the program (and so every test).
std::uint32_t dimmingMultiplier(float factor)
{
    const double exact = double(factor) * 16777216.0;
    for (const double nudge : {0.0, -1.0, 1.0, -2.0, 2.0}) {
        const double candidate = std::round(exact) + nudge;
        if (candidate < 1 || candidate > 16777216.0)
            continue;
        const auto multiplier = std::uint32_t(candidate);
        bool same = true;
        for (unsigned v = 0; v < 256 && same; ++v)
            same = (v * multiplier + (1u << 23)) >> 24 == dimmedByte(uchar(v), factor);
        if (same)
            return multiplier;
    }
    qFatal("no exact hub dimming multiplier for the factor %.9g", double(factor));
}

// The squares, and the hub dimming of every byte of the dimmed LEDs per line row, worked out
// once per process.
struct Tables
{
    uchar square[256];
    // [row][byte]: the multiplier of the factor of the byte's LED
    std::uint32_t wide[4][3 * hubDimmedLeds(HubDimming::Wide)];
    std::uint32_t narrow[4][3 * hubDimmedLeds(HubDimming::Narrow)];

    Tables()
    {
        for (int v = 0; v < 256; ++v)
            square[v] = uchar(v * v / 255);
        for (int row = 0; row < 4; ++row) {
            fill(wide[row], true, row);
            fill(narrow[row], false, row);
        }
    }

    template <size_t Bytes>
    static void fill(std::uint32_t (&multipliers)[Bytes], bool wide, int row)
    {
        for (size_t i = 0; i < Bytes / 3; ++i) {
            const float factor = hubFactor(wide, row, int(i));
            // Nothing changes where the factor is 1 or more; a factor of 1 keeps every byte.
            std::fill_n(multipliers + 3 * i, 3, dimmingMultiplier(factor >= 1.0f ? 1.0f : factor));
        }
    }
};

const Tables& tables()
{
    static const Tables instance;
    return instance;
}

// The squaring curve in the widest vectors the kernel has, the rest LED by LED.
void applySquaringCurve(uchar* data, int leds, const uchar* square, VectorKernel kernel)
{
    int done = 0;
#ifdef ROTAVIS_X86_KERNELS
    if (usesAvx2(kernel))
        done = curveLedsAvx2(data, leds);
    if (usesSse2(kernel))
        done += curveLedsSse2(data + 3 * done, leds - done);
#else
    Q_UNUSED(kernel);
#endif
    curveLedsScalar(data + 3 * done, leds - done, square);
}

} // namespace

LineColours::LineColours(int lineBytes, VectorKernel kernel)
    : m_lineBytes(std::max(0, lineBytes)), m_bufferSize(lineBufferSize(m_lineBytes)),
      m_kernel(usableHere(kernel))
{
    const BladeType* blade = bladeTypeForLine(m_lineBytes);
    if (!blade)
        return;
    m_channels = blade->bitPlaneChannels;
    if (blade->hub != HubDimming::None) {
        const bool wide = blade->hub == HubDimming::Wide;
        m_dimmedLeds = hubDimmedLeds(blade->hub);
        m_partnerOffset = blade->ledpcs / 2;
        m_dimming = wide ? tables().wide[0] : tables().narrow[0];
    }
}

void LineColours::process(uchar* line, int lineIndex, bool swapped, uchar* packed) const
{
    if (m_lineBytes == 0)
        return;
    applySquaringCurve(line, m_lineBytes / 3, tables().square, m_kernel);
    // A line whose length is not a multiple of 3 leaves its last bytes as processLine does.
    if (m_dimming) {
        const int bytes = 3 * m_dimmedLeds;
        const std::uint32_t* multipliers =
            m_dimming + size_t(bytes) * size_t(((lineIndex % 4) + 4) % 4);
        for (uchar* dimmed : {line, line + 3 * m_partnerOffset}) {
#ifdef ROTAVIS_X86_KERNELS
            if (usesAvx2(m_kernel) && bytes % 8 == 0) {
                dimBytesAvx2(dimmed, multipliers, bytes);
                continue;
            }
#endif
            dimBytesScalar(dimmed, multipliers, bytes);
        }
    }
    if (m_channels > 0) {
        // The LEDs beyond the line read as black.
        const int bytes = std::min(m_lineBytes, packedLineSize);
        if (packed) {
            packBitPlanesFast(packed, line, m_channels, swapped, m_kernel, bytes);
            return;
        }
        // In place: the packing would overwrite the LEDs it has yet to read.
        uchar scratch[packedLineSize];
        std::memcpy(scratch, line, size_t(bytes));
        packBitPlanesFast(line, scratch, m_channels, swapped, m_kernel, bytes);
    }
}

void packBitPlanesFast(uchar* out, const uchar* in, int channels, bool swapped, VectorKernel kernel,
                       int inBytes)
{
#ifdef ROTAVIS_X86_KERNELS
    if (usesSse2(kernel) && (channels == 16 || channels == 14)) {
        // The block is 16 channels x 48 bytes (channel c holds LEDs 16 c ... 16 c + 15).
        const int half = channels / 2;
        alignas(16) static const uchar none[48] = {};
        alignas(16) uchar cutShort[48]; // a channel that `inBytes` ends in, then zeros
        const uchar* rows[16];
        for (int lane = 0; lane < 16; ++lane)
            rows[lane] = none;
        for (int c = 0; c < channels && 48 * c < inBytes; ++c) {
            const uchar* row = in + 48 * c;
            if (48 * (c + 1) > inBytes) {
                std::memset(cutShort, 0, sizeof cutShort);
                std::memcpy(cutShort, row, size_t(inBytes - 48 * c));
                row = cutShort;
            }
            rows[!swapped ? c : (c < half ? c + half : c - half)] = row;
        }
        if (kernel == VectorKernel::Avx2Gfni)
            packBitPlanesGfni(out, rows);
        else if (kernel == VectorKernel::Avx2)
            packBitPlanesAvx2(out, rows);
        else
            packBitPlanesSse2(out, rows);
        return;
    }
#else
    Q_UNUSED(kernel);
#endif
    packBitPlanesScalar(out, in, channels, swapped, inBytes);
}
