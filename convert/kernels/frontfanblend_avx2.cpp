#include "kernels/frontfanblendkernels.h"

#include <cstring>
#include <immintrin.h>

namespace {

// byteMul in 16-bit lanes.
__attribute__((target("avx2"))) inline __m256i byteMuls(__m256i values, __m256i alphas)
{
    const __m256i t = _mm256_mullo_epi16(values, alphas);
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), _mm256_set1_epi16(0x80)), 8);
}

} // namespace

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
