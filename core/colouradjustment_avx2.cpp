// The pixel-wise colour steps eight pixels at a time, in single precision with the doubtful
// values again in double. This file alone is compiled for AVX2; it is called only where the
// processor has it.
#include "colouradjustment.h"

#ifdef ROTAVIS_X86_KERNELS

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// One channel of eight pixels as floats, from the pixels' bytes in two lanes: pixels 0 to 3
// at the start of the low lane, pixels 4 to 7 at the start of the high one.
__attribute__((target("avx2"))) inline __m256 channelOfEight(__m256i pixels, int channel)
{
    const char z = char(0x80);
    const char c = char(channel);
    const __m256i pick = _mm256_setr_epi8(
        c, z, z, z, char(c + 3), z, z, z, char(c + 6), z, z, z, char(c + 9), z, z, z, //
        c, z, z, z, char(c + 3), z, z, z, char(c + 6), z, z, z, char(c + 9), z, z, z);
    return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(pixels, pick));
}

// The bytes of eight pixels' three channels (one per 32-bit lane, red, green, blue apart)
// interleaved into 24 bytes at `out`. A lane outside [0, 255] gives a wrong byte.
__attribute__((target("avx2"))) inline void storeTwentyFour(uchar* out, __m256i red, __m256i green,
                                                            __m256i blue)
{
    // Per 128-bit half, four pixels: their red, green, blue and blue again, a byte each.
    const __m256i channels =
        _mm256_packus_epi16(_mm256_packus_epi32(red, green), _mm256_packus_epi32(blue, blue));
    const __m256i pixels = _mm256_shuffle_epi8(
        channels, _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1, //
                                   0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1));
    const __m256i packed =
        _mm256_permutevar8x32_epi32(pixels, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(packed, 1));
}

// What the loop over a row works with, in registers.
struct FloatConstants
{
    __m256 lumaR, lumaG, lumaB;
    __m256 channelFactor, lumaFactor, offset;
    __m256 lowest, highest, perUnit, firstStretch;
    const int* stretches;
};

// The doubtful pixels of a block, from its pixels as they were.
void adjustDoubtful(uchar* pixels, const uchar* original, int lanes,
                    const ColourAdjustment::PixelSteps& steps, const GammaSteps& gamma)
{
    for (; lanes != 0; lanes &= lanes - 1) {
        const int p = __builtin_ctz(unsigned(lanes));
        adjustPixel(original + p * 3, pixels + p * 3, steps, gamma);
    }
}

// Eight pixels in place; the first 28 bytes at `pixels` are read. `lanes` limits which of the
// doubtful ones are worked out again (those the caller keeps).
__attribute__((target("avx2,fma"))) inline void
adjustBlock(uchar* pixels, const FloatConstants& k, const ColourAdjustment::PixelSteps& steps,
            const GammaSteps& gamma, int lanes = 0xff)
{
    const __m256i both = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(pixels + 12),
                                             reinterpret_cast<const __m128i*>(pixels));
    __m256 rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = channelOfEight(both, c);
    const __m256 y = _mm256_fmadd_ps(
        k.lumaB, rgb[2], _mm256_fmadd_ps(k.lumaG, rgb[1], _mm256_mul_ps(k.lumaR, rgb[0])));
    const __m256 lumaTerm = _mm256_fmadd_ps(k.lumaFactor, y, k.offset);
    __m256i bytes[3];
#pragma GCC unroll 3
    for (int c = 0; c < 3; ++c) {
        __m256 value = _mm256_fmadd_ps(k.channelFactor, rgb[c], lumaTerm);
        value = _mm256_min_ps(_mm256_max_ps(value, k.lowest), k.highest);
        const __m256i stretch =
            _mm256_cvttps_epi32(_mm256_fmadd_ps(value, k.perUnit, k.firstStretch));
        bytes[c] = _mm256_i32gather_epi32(k.stretches, stretch, 4);
    }
    // The pixels with a doubtful stretch: the sign bit of one of their channels.
    const int doubtful = lanes & _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_or_si256(
                                     bytes[0], _mm256_or_si256(bytes[1], bytes[2]))));
    if (doubtful == 0) {
        storeTwentyFour(pixels, bytes[0], bytes[1], bytes[2]);
        return;
    }
    uchar original[24];
    std::memcpy(original, pixels, sizeof original);
    storeTwentyFour(pixels, bytes[0], bytes[1], bytes[2]);
    adjustDoubtful(pixels, original, doubtful, steps, gamma);
}

} // namespace

__attribute__((target("avx2,fma"))) void adjustRowAvx2(uchar* row, int width,
                                                       const ColourAdjustment::PixelSteps& steps,
                                                       const GammaSteps& gamma,
                                                       const FloatSteps& floatSteps)
{
    FloatConstants k;
    k.lumaR = _mm256_set1_ps(0.299f);
    k.lumaG = _mm256_set1_ps(0.587f);
    k.lumaB = _mm256_set1_ps(0.114f);
    k.channelFactor = _mm256_set1_ps(floatSteps.channelFactor);
    k.lumaFactor = _mm256_set1_ps(floatSteps.lumaFactor);
    k.offset = _mm256_set1_ps(floatSteps.offset);
    k.lowest = _mm256_set1_ps(FloatSteps::lowest);
    k.highest = _mm256_set1_ps(FloatSteps::highest);
    k.perUnit = _mm256_set1_ps(float(FloatSteps::stretchesPerUnit));
    k.firstStretch = _mm256_set1_ps(-FloatSteps::lowest * FloatSteps::stretchesPerUnit);
    k.stretches = floatSteps.stretches.data();

    int x = 0;
    // The last load of a block reads sixteen bytes from its fifth pixel, four bytes past the
    // block: the last pixels of a row go through a copy with room for them.
    for (; x + 10 <= width; x += 8)
        adjustBlock(row + size_t(x) * 3, k, steps, gamma);
    for (; x < width; x += 8) {
        const int count = std::min(8, width - x);
        uchar* pixels = row + size_t(x) * 3;
        uchar block[28] = {};
        std::memcpy(block, pixels, size_t(count) * 3);
        adjustBlock(block, k, steps, gamma, (1 << count) - 1);
        std::memcpy(pixels, block, size_t(count) * 3);
    }
}

#endif
