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

// The first three bytes of each 32-bit lane, packed into 24 bytes at `out`.
__attribute__((target("avx2"))) inline void storeTwentyFour(uchar* out, __m256i words)
{
    const __m256i packedLanes = _mm256_shuffle_epi8(
        words, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, //
                                0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    const __m256i packed =
        _mm256_permutevar8x32_epi32(packedLanes, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(packed, 1));
}

// The byte of one channel of the pixel `rgb` by the formula, in double precision.
quint8 exactByte(const uchar* rgb, int channel, const ColourAdjustment::PixelSteps& steps,
                 const GammaSteps& gamma)
{
    using namespace AdjustmentFormula;
    const double y = luma(rgb[0], rgb[1], rgb[2]);
    double value = saturated(rgb[channel], y, steps.saturation);
    if (steps.contrastStep)
        value = contrasted(value, steps.contrast, steps.brightness);
    return gamma.byteOf(std::min(std::max(value, 0.0), 255.0));
}

// What the loop over a row works with, in registers.
struct FloatConstants
{
    __m256 lumaR, lumaG, lumaB;
    __m256 channelFactor, lumaFactor, offset;
    __m256 lowest, highest, perUnit, firstStretch, fixedScale;
    __m256i fixedMargin, byteMask, minusOne;
    const int* stretches;
};

// Eight pixels: their bytes (three in each lane) and which of them are doubtful.
struct Block
{
    __m256i words;
    int doubtfulLanes;
};

__attribute__((target("avx2,fma"))) inline Block adjustBlock(const uchar* pixels,
                                                             const FloatConstants& k)
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
    __m256i doubtful = _mm256_setzero_si256();
    for (int c = 0; c < 3; ++c) {
        __m256 value = _mm256_fmadd_ps(k.channelFactor, rgb[c], lumaTerm);
        value = _mm256_min_ps(_mm256_max_ps(value, k.lowest), k.highest);
        const __m256i stretch =
            _mm256_cvttps_epi32(_mm256_fmadd_ps(value, k.perUnit, k.firstStretch));
        const __m256i entry = _mm256_i32gather_epi32(k.stretches, stretch, 4);
        // How far the value lies past the first value of the next byte, in fixed point; of a
        // crowded stretch far below, which leaves it undecided and not near.
        const __m256i past = _mm256_sub_epi32(
            _mm256_cvtps_epi32(_mm256_mul_ps(value, k.fixedScale)), _mm256_srli_epi32(entry, 8));
        bytes[c] = _mm256_sub_epi32(_mm256_and_si256(entry, k.byteMask),
                                    _mm256_cmpgt_epi32(past, k.minusOne));
        // Doubtful: near the first value, or in a crowded stretch (the entry's sign).
        const __m256i near = _mm256_cmpgt_epi32(k.fixedMargin, _mm256_abs_epi32(past));
        doubtful = _mm256_or_si256(doubtful, _mm256_or_si256(near, entry));
    }
    const __m256i words = _mm256_or_si256(
        bytes[0], _mm256_or_si256(_mm256_slli_epi32(bytes[1], 8), _mm256_slli_epi32(bytes[2], 16)));
    return Block{words, _mm256_movemask_ps(_mm256_castsi256_ps(doubtful))};
}

// Stores a block's bytes; its doubtful pixels are worked out again from `original`.
__attribute__((target("avx2"))) inline void storeBlock(uchar* pixels, const Block& done,
                                                       const uchar* original,
                                                       const ColourAdjustment::PixelSteps& steps,
                                                       const GammaSteps& gamma)
{
    storeTwentyFour(pixels, done.words);
    for (int lanes = done.doubtfulLanes; lanes != 0; lanes &= lanes - 1) {
        const int p = __builtin_ctz(unsigned(lanes));
        for (int c = 0; c < 3; ++c)
            pixels[p * 3 + c] = exactByte(original + p * 3, c, steps, gamma);
    }
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
    k.fixedScale = _mm256_set1_ps(std::ldexp(1.0f, FloatSteps::fractionBits));
    k.fixedMargin = _mm256_set1_epi32(floatSteps.fixedMargin);
    k.byteMask = _mm256_set1_epi32(0xff);
    k.minusOne = _mm256_set1_epi32(-1);
    k.stretches = floatSteps.stretches.data();

    int x = 0;
    // The last load of a block reads sixteen bytes from its fifth pixel, four bytes past the
    // block: the last pixels of a row go through a copy with room for them.
    for (; x + 10 <= width; x += 8) {
        uchar* pixels = row + size_t(x) * 3;
        const Block only = adjustBlock(pixels, k);
        uchar original[24];
        if (only.doubtfulLanes != 0)
            std::memcpy(original, pixels, sizeof original);
        storeBlock(pixels, only, original, steps, gamma);
    }
    for (; x < width; x += 8) {
        const int count = std::min(8, width - x);
        uchar* pixels = row + size_t(x) * 3;
        uchar block[28] = {};
        std::memcpy(block, pixels, size_t(count) * 3);
        Block only = adjustBlock(block, k);
        only.doubtfulLanes &= (1 << count) - 1;
        uchar original[24];
        std::memcpy(original, block, sizeof original);
        storeBlock(block, only, original, steps, gamma);
        std::memcpy(pixels, block, size_t(count) * 3);
    }
}

#endif
