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

// The squares and the dimmed bytes of every factor, worked out once per process.
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
                    // Nothing changes where the factor is 1 or more.
                    wide[row][i][v] =
                        wideFactor >= 1.0f ? uchar(v) : dimmedByte(uchar(v), wideFactor);
                    narrow[row][i][v] =
                        narrowFactor >= 1.0f ? uchar(v) : dimmedByte(uchar(v), narrowFactor);
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

// LEDs respond far from linearly; squaring darkens the mid-tones. A channel at the LED's
// maximum stays put once that maximum is near full brightness, so saturated colours keep
// their peak.
void curveLeds(uchar* data, int leds, const uchar* square)
{
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

#if defined(__SSE2__)
// v * v / 255 for 16 bytes: in 16-bit lanes, (x + (x >> 8) + 1) >> 8 is x / 255 for every
// x up to 65534.
inline __m128i squareBytes(__m128i v)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    __m128i lo = _mm_unpacklo_epi8(v, zero);
    __m128i hi = _mm_unpackhi_epi8(v, zero);
    lo = _mm_mullo_epi16(lo, lo);
    hi = _mm_mullo_epi16(hi, hi);
    lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), one), 8);
    hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), one), 8);
    return _mm_packus_epi16(lo, hi);
}

// The bytes of the neighbours one and two places on, or back, across into the next or the
// previous vector of the block.
inline __m128i next1(__m128i v, __m128i following)
{
    return _mm_or_si128(_mm_srli_si128(v, 1), _mm_slli_si128(following, 15));
}
inline __m128i next2(__m128i v, __m128i following)
{
    return _mm_or_si128(_mm_srli_si128(v, 2), _mm_slli_si128(following, 14));
}
inline __m128i back1(__m128i v, __m128i preceding)
{
    return _mm_or_si128(_mm_slli_si128(v, 1), _mm_srli_si128(preceding, 15));
}
inline __m128i back2(__m128i v, __m128i preceding)
{
    return _mm_or_si128(_mm_slli_si128(v, 2), _mm_srli_si128(preceding, 14));
}

// Per byte of vector k of a 48-byte block: all ones where the byte is the first (R), the
// second (G) or the third (B) of its LED.
struct LedPlaces
{
    __m128i first[3], second[3], third[3];
    LedPlaces()
    {
        for (int k = 0; k < 3; ++k) {
            alignas(16) uchar bytes[3][16];
            for (int i = 0; i < 16; ++i) {
                const int place = (16 * k + i) % 3;
                for (int p = 0; p < 3; ++p)
                    bytes[p][i] = place == p ? 0xFF : 0;
            }
            first[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes[0]));
            second[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes[1]));
            third[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes[2]));
        }
    }
};
#endif

void applySquaringCurve(uchar* data, int leds, const uchar* square)
{
    int done = 0;
#if defined(__SSE2__)
    // 16 LEDs (48 bytes) at a time. Each byte learns its LED's peak from its neighbours,
    // then keeps its value where it is that peak and the peak is 240 or more.
    static const LedPlaces places;
    const __m128i zero = _mm_setzero_si128();
    const __m128i limit = _mm_set1_epi8(char(240));
    for (; done + 16 <= leds; done += 16) {
        uchar* block = data + 3 * done;
        __m128i v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
        for (int k = 0; k < 3; ++k) {
            const __m128i following = k < 2 ? v[k + 1] : zero;
            const __m128i preceding = k > 0 ? v[k - 1] : zero;
            const __m128i n1 = next1(v[k], following);
            const __m128i b1 = back1(v[k], preceding);
            const __m128i asFirst = _mm_max_epu8(v[k], _mm_max_epu8(n1, next2(v[k], following)));
            const __m128i asSecond = _mm_max_epu8(v[k], _mm_max_epu8(n1, b1));
            const __m128i asThird = _mm_max_epu8(v[k], _mm_max_epu8(b1, back2(v[k], preceding)));
            const __m128i peak =
                _mm_or_si128(_mm_and_si128(places.first[k], asFirst),
                             _mm_or_si128(_mm_and_si128(places.second[k], asSecond),
                                          _mm_and_si128(places.third[k], asThird)));
            const __m128i bright = _mm_cmpeq_epi8(_mm_max_epu8(peak, limit), peak);
            const __m128i keep = _mm_and_si128(bright, _mm_cmpeq_epi8(v[k], peak));
            const __m128i curved =
                _mm_or_si128(_mm_and_si128(keep, v[k]), _mm_andnot_si128(keep, squareBytes(v[k])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 16 * k), curved);
        }
    }
#endif
    curveLeds(data + 3 * done, leds - done, square);
}

} // namespace

LineColours::LineColours(int lineBytes)
    : m_lineBytes(std::max(0, lineBytes)), m_bufferSize(lineBufferSize(m_lineBytes))
{
    const BladeType* blade = bladeTypeForLine(m_lineBytes);
    if (!blade)
        return;
    m_channels = blade->bitPlaneChannels;
    if (blade->hub != HubDimming::None) {
        const bool wide = blade->hub == HubDimming::Wide;
        m_dimmedLeds = hubDimmedLeds(blade->hub);
        m_partnerOffset = blade->ledpcs / 2;
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
        // Transposed, byte k of every channel lies in one 16-lane vector, lane = the
        // channel's bit in the words; the top bit of each lane is then one bit-plane word.
        const int half = channels / 2;
        alignas(16) static const uchar none[48] = {};
        const uchar* rows[16];
        for (int lane = 0; lane < 16; ++lane)
            rows[lane] = none;
        for (int c = 0; c < channels; ++c)
            rows[!swapped ? c : (c < half ? c + half : c - half)] = in + 48 * c;
        for (int part = 0; part < 3; ++part) {
            __m128i x[16];
            for (int lane = 0; lane < 16; ++lane)
                x[lane] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[lane] + 16 * part));
            // Four perfect shuffles transpose a 16 x 16 block of bytes.
            for (int round = 0; round < 4; ++round) {
                __m128i y[16];
                for (int i = 0; i < 8; ++i) {
                    y[2 * i] = _mm_unpacklo_epi8(x[i], x[i + 8]);
                    y[2 * i + 1] = _mm_unpackhi_epi8(x[i], x[i + 8]);
                }
                std::memcpy(x, y, sizeof y);
            }
            for (int k = 0; k < 16; ++k) {
                const int byte = 16 * part + k; // byte of the channel's 16 LEDs
                const int group = byte / 3;
                const int colour = byte % 3; // R, G, B: value bits 0-7, 8-15, 16-23
                uchar* words = out + 48 * group;
                __m128i v = x[k];
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
