#include "kernels/linecolourkernels.h"
#include "kernels/linecolours_x86.h"

#include <emmintrin.h>

namespace {

// v * v / 255 in 16-bit lanes as the high half of (v * v + 1) * 257, exact for every byte.
constexpr bool squareByMultiplicationIsExact()
{
    for (unsigned v = 0; v < 256; ++v) {
        if (((v * v + 1) * 257) >> 16 != v * v / 255)
            return false;
    }
    return true;
}
static_assert(squareByMultiplicationIsExact(), "the square of every byte must come out exact");

// v * v / 255 for 16 bytes.
inline __m128i squareBytes(__m128i v)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    const __m128i factor = _mm_set1_epi16(257);
    __m128i lo = _mm_unpacklo_epi8(v, zero);
    __m128i hi = _mm_unpackhi_epi8(v, zero);
    lo = _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(lo, lo), one), factor);
    hi = _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(hi, hi), one), factor);
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

constexpr LedPlaces<16> narrowLedPlaces;

inline void storeWord(uchar* out, int byte, int bit, unsigned word)
{
    // Low byte first: the little-endian order of every processor with SSE2.
    const std::uint16_t bits = std::uint16_t(word);
    std::memcpy(wordPlace(out, byte, bit), &bits, 2);
}

template <int part>
void packPart(uchar* out, const uchar* const rows[16])
{
    __m128i x[16];
    transposePart<part>(rows, x);
#pragma GCC unroll 16
    for (int k = 0; k < 16; ++k) {
        __m128i v = x[k];
#pragma GCC unroll 8
        for (int bit = 7; bit >= 0; --bit) {
            storeWord(out, 16 * part + k, bit, unsigned(_mm_movemask_epi8(v)));
            v = _mm_add_epi8(v, v);
        }
    }
}

} // namespace

int curveLedsSse2(uchar* data, int leds)
{
    // 16 LEDs (48 bytes) at a time. Each byte learns its LED's peak from its neighbours,
    // then keeps its value where it is that peak and the peak is 240 or more.
    const __m128i zero = _mm_setzero_si128();
    const __m128i limit = _mm_set1_epi8(char(240));
    auto place = [](int k, int p) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(narrowLedPlaces.bytes[k][p]));
    };
    int done = 0;
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
            const __m128i peak = _mm_or_si128(_mm_and_si128(place(k, 0), asFirst),
                                              _mm_or_si128(_mm_and_si128(place(k, 1), asSecond),
                                                           _mm_and_si128(place(k, 2), asThird)));
            const __m128i bright = _mm_cmpeq_epi8(_mm_max_epu8(peak, limit), peak);
            const __m128i keep = _mm_and_si128(bright, _mm_cmpeq_epi8(v[k], peak));
            const __m128i curved =
                _mm_or_si128(_mm_and_si128(keep, v[k]), _mm_andnot_si128(keep, squareBytes(v[k])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 16 * k), curved);
        }
    }
    return done;
}

void packBitPlanesSse2(uchar* out, const uchar* const rows[16])
{
    packPart<0>(out, rows);
    packPart<1>(out, rows);
    packPart<2>(out, rows);
}
