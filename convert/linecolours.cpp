#include "linecolours.h"

#include "bitplanes.h"
#include "bladetypes.h"
#include "ledprocessing.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Tables
{
    uchar square[256];
    uchar wide[4][128][256];
    uchar narrow[4][128][256];

    Tables()
    {
        for (int v = 0; v < 256; ++v)
            square[v] = uchar(v * v / 255);
        for (int row = 0; row < 4; ++row) {
            for (int i = 0; i < 128; ++i) {
                const float wideFactor = hubFactor(true, row, i);
                const float narrowFactor = hubFactor(false, row, i);
                for (int v = 0; v < 256; ++v) {
                    // As dimLed: the product in double from the single-precision factor, and
                    // nothing changes where the factor is 1 or more.
                    wide[row][i][v] =
                        wideFactor >= 1.0f ? uchar(v) : uchar(int(v * double(wideFactor) + 0.5));
                    narrow[row][i][v] = narrowFactor >= 1.0f
                                            ? uchar(v)
                                            : uchar(int(v * double(narrowFactor) + 0.5));
                }
            }
        }
    }
};

const Tables& tables()
{
    static const Tables instance;
    return instance;
}

void applySquaringCurve(uchar* data, int leds, const uchar* square)
{
    // Without branches: which channels keep their value depends on the picture.
    for (int i = 0; i < leds; ++i, data += 3) {
        const unsigned r = data[0];
        const unsigned g = data[1];
        const unsigned b = data[2];
        const unsigned peak = std::max(r, std::max(g, b));
        const unsigned bright = peak >= 240 ? peak : 256; // no byte equals 256
        const unsigned keepR = 0u - unsigned(r == bright);
        const unsigned keepG = 0u - unsigned(g == bright);
        const unsigned keepB = 0u - unsigned(b == bright);
        data[0] = uchar((r & keepR) | (square[r] & ~keepR));
        data[1] = uchar((g & keepG) | (square[g] & ~keepG));
        data[2] = uchar((b & keepB) | (square[b] & ~keepB));
    }
}

} // namespace

LineColours::LineColours(int lineBytes)
    : m_lineBytes(std::max(0, lineBytes)), m_bufferSize(lineBufferSize(m_lineBytes)),
      m_blade(bladeTypeForLine(m_lineBytes))
{
    if (!m_blade)
        return;
    m_channels = m_blade->bitPlaneChannels;
    if (m_blade->hub != HubDimming::None) {
        const bool wide = m_blade->hub == HubDimming::Wide;
        m_dimmedLeds = wide ? 128 : 64;
        m_partnerOffset = m_blade->ledpcs / 2;
        m_dimming = wide ? tables().wide : tables().narrow;
    }
}

void LineColours::process(uchar* line, int lineIndex, bool swapped) const
{
    if (m_lineBytes == 0)
        return;
    applySquaringCurve(line, m_lineBytes / 3, tables().square);
    // A line whose length is not a multiple of 3 leaves its last bytes as processLine does.
    if (m_dimming) {
        const uchar(*rowTable)[256] = m_dimming[((lineIndex % 4) + 4) % 4];
        for (int i = 0; i < m_dimmedLeds; ++i) {
            const uchar* table = rowTable[i];
            uchar* led = line + 3 * i;
            uchar* partner = line + 3 * (i + m_partnerOffset);
            for (int c = 0; c < 3; ++c) {
                led[c] = table[led[c]];
                partner[c] = table[partner[c]];
            }
        }
    }
    if (m_channels > 0) {
        uchar scratch[packedLineSize] = {};
        std::memcpy(scratch, line, size_t(std::min(m_lineBytes, packedLineSize)));
        packBitPlanesFast(line, scratch, m_channels, swapped);
    }
}

void packBitPlanesFast(uchar* out, const uchar* in, int channels, bool swapped)
{
#if defined(__SSE2__)
    if (channels == 16 || channels == 14) {
        // The block is 16 channels x 48 bytes (channel c holds LEDs 16 c ... 16 c + 15).
        // Byte k of every channel goes into one 16-lane vector, lane = the channel's word
        // bit; the top bit of each lane is then one bit plane word (movemask).
        const int half = channels / 2;
        int lane[16];
        for (int c = 0; c < 16; ++c)
            lane[c] = c >= channels ? -1 : (!swapped ? c : (c < half ? c + half : c - half));
        alignas(16) uchar column[16];
        for (int group = 0; group < 16; ++group) {
            uchar* words = out + 48 * group;
            for (int colour = 2; colour >= 0; --colour) {
                const int k = 3 * group + colour;
                for (int c = 0; c < 16; ++c) {
                    if (lane[c] >= 0)
                        column[lane[c]] = in[48 * c + k];
                }
                if (channels < 16)
                    std::memset(column + channels, 0, size_t(16 - channels));
                __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(column));
                // Bits 7 ... 0 of this colour are bit planes 8 colour + 7 ... 8 colour.
                for (int bit = 7; bit >= 0; --bit) {
                    const int word = _mm_movemask_epi8(v);
                    uchar* target = words + 2 * (23 - (8 * colour + bit));
                    target[0] = uchar(word & 0xFF);
                    target[1] = uchar(word >> 8);
                    v = _mm_add_epi8(v, v);
                }
            }
        }
        return;
    }
#endif
    packBitPlanes(out, in, channels, swapped);
}
