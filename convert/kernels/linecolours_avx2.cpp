#include "kernels/linecolourkernels.h"
#include "kernels/linecolours_x86.h"

#include <immintrin.h>

namespace {

constexpr LedPlaces<32> wideLedPlaces;

// The eight words of byte `byte`, from a vector that holds its 16 lanes in the low half and
// the same shifted one bit up in the high half: each movemask gives the words of two
// neighbouring bits, which lie side by side.
__attribute__((target("avx2"))) inline void storeBitPairs(uchar* out, int byte, __m256i pair)
{
#pragma GCC unroll 4
    for (int bit = 7; bit > 0; bit -= 2) {
        const std::uint32_t words = std::uint32_t(_mm256_movemask_epi8(pair));
        std::memcpy(wordPlace(out, byte, bit), &words, 4);
        // Two bits up; the bits that cross into the next byte of a 16-bit lane are below
        // its top bit.
        pair = _mm256_slli_epi16(pair, 2);
    }
}

} // namespace

// As curveLedsSse2, with 32 LEDs (96 bytes) at a time.
__attribute__((target("avx2"))) int curveLedsAvx2(uchar* data, int leds)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi16(1);
    const __m256i factor = _mm256_set1_epi16(257);
    const __m256i limit = _mm256_set1_epi8(char(240));
    int done = 0;
    for (; done + 32 <= leds; done += 32) {
        uchar* block = data + 3 * done;
        __m256i v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * k));
        for (int k = 0; k < 3; ++k) {
            // The bytes one and two places on (from the next vector at the end) and back.
            const __m256i onward = _mm256_permute2x128_si256(v[k], k < 2 ? v[k + 1] : zero, 0x21);
            const __m256i backward = _mm256_permute2x128_si256(k > 0 ? v[k - 1] : zero, v[k], 0x21);
            const __m256i n1 = _mm256_alignr_epi8(onward, v[k], 1);
            const __m256i n2 = _mm256_alignr_epi8(onward, v[k], 2);
            const __m256i b1 = _mm256_alignr_epi8(v[k], backward, 15);
            const __m256i b2 = _mm256_alignr_epi8(v[k], backward, 14);
            const __m256i asFirst = _mm256_max_epu8(v[k], _mm256_max_epu8(n1, n2));
            const __m256i asSecond = _mm256_max_epu8(v[k], _mm256_max_epu8(n1, b1));
            const __m256i asThird = _mm256_max_epu8(v[k], _mm256_max_epu8(b1, b2));
            const __m256i* places = reinterpret_cast<const __m256i*>(wideLedPlaces.bytes[k]);
            const __m256i peak = _mm256_or_si256(
                _mm256_and_si256(_mm256_load_si256(places), asFirst),
                _mm256_or_si256(_mm256_and_si256(_mm256_load_si256(places + 1), asSecond),
                                _mm256_and_si256(_mm256_load_si256(places + 2), asThird)));
            const __m256i bright = _mm256_cmpeq_epi8(_mm256_max_epu8(peak, limit), peak);
            const __m256i keep = _mm256_and_si256(bright, _mm256_cmpeq_epi8(v[k], peak));
            // v * v / 255 in 16-bit lanes, as the SSE2 kernel does.
            __m256i lo = _mm256_unpacklo_epi8(v[k], zero);
            __m256i hi = _mm256_unpackhi_epi8(v[k], zero);
            lo = _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(lo, lo), one), factor);
            hi = _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(hi, hi), one), factor);
            const __m256i squared = _mm256_packus_epi16(lo, hi);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(block + 32 * k),
                                _mm256_blendv_epi8(squared, v[k], keep));
        }
    }
    return done;
}

// Eight bytes at a time.
__attribute__((target("avx2"))) void dimBytesAvx2(uchar* bytes, const std::uint32_t* multipliers,
                                                  int count)
{
    const __m256i half = _mm256_set1_epi32(1 << 23);
    for (int i = 0; i < count; i += 8) {
        const __m256i values =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + i)));
        const __m256i factors =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(multipliers + i));
        __m256i dimmed =
            _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(values, factors), half), 24);
        dimmed = _mm256_packus_epi16(_mm256_packus_epi32(dimmed, dimmed), dimmed);
        const std::uint32_t low = std::uint32_t(_mm_cvtsi128_si32(_mm256_castsi256_si128(dimmed)));
        const std::uint32_t high =
            std::uint32_t(_mm_cvtsi128_si32(_mm256_extracti128_si256(dimmed, 1)));
        std::memcpy(bytes + i, &low, 4);
        std::memcpy(bytes + i + 4, &high, 4);
    }
}

// All three parts: parts 0 and 1 transposed at once, part 2 as the SSE2 kernel does.
__attribute__((target("avx2"))) void packBitPlanesAvx2(uchar* out, const uchar* const rows[16])
{
    __m256i x[16];
    transposeLowParts(rows, x);
#pragma GCC unroll 16
    for (int k = 0; k < 16; ++k) {
        const __m256i doubled = _mm256_add_epi8(x[k], x[k]);
        storeBitPairs(out, k, _mm256_permute2x128_si256(x[k], doubled, 0x20));
        storeBitPairs(out, 16 + k, _mm256_permute2x128_si256(x[k], doubled, 0x31));
    }
    __m128i last[16];
    transposePart<2>(rows, last);
#pragma GCC unroll 16
    for (int k = 0; k < 16; ++k) {
        const __m256i pair = _mm256_inserti128_si256(_mm256_castsi128_si256(last[k]),
                                                     _mm_add_epi8(last[k], last[k]), 1);
        storeBitPairs(out, 32 + k, pair);
    }
}
