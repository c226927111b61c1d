#include "kernels/linecolourkernels.h"
#include "kernels/linecolours_x86.h"

#include <immintrin.h>

namespace {

// The eight words of each half's byte (the byte of the 16 channels in its 16 lanes), in the
// order they are stored: bit 7's word first. The affine transformation transposes each
// 8 x 8 block of bits: taking a lane's eight bytes as the matrix, result byte i gathers the
// bits picked by byte i of the multiplier (bit 7 - i here), the byte at lane position 7 - c
// landing in bit c, hence the bytes reversed beforehand; then each word's byte of channels
// 0-7 and byte of channels 8-15 are set side by side.
__attribute__((target("avx2,gfni"))) inline __m256i bitPlaneWords(__m256i bytes)
{
    const __m256i reversed = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8,
                                              7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    const __m256i sideBySide =
        _mm256_setr_epi8(0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15, 0, 8, 1, 9, 2, 10, 3,
                         11, 4, 12, 5, 13, 6, 14, 7, 15);
    const __m256i bitsHighToLow = _mm256_set1_epi64x(0x0102040810204080ll);
    const __m256i planes =
        _mm256_gf2p8affine_epi64_epi8(bitsHighToLow, _mm256_shuffle_epi8(bytes, reversed), 0);
    return _mm256_shuffle_epi8(planes, sideBySide);
}

// The eight words of a byte lie side by side: one 16-byte store each.
__attribute__((target("avx2,gfni"))) inline void storeBitPlaneWords(uchar* out, int lowByte,
                                                                    int highByte, __m256i bytes)
{
    const __m256i words = bitPlaneWords(bytes);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(wordPlace(out, lowByte, 7)),
                     _mm256_castsi256_si128(words));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(wordPlace(out, highByte, 7)),
                     _mm256_extracti128_si256(words, 1));
}

} // namespace

// As packBitPlanesAvx2, with the bits of two bytes turned into words at once.
__attribute__((target("avx2,gfni"))) void packBitPlanesGfni(uchar* out, const uchar* const rows[16])
{
    __m256i x[16];
    transposeLowParts(rows, x);
#pragma GCC unroll 16
    for (int k = 0; k < 16; ++k)
        storeBitPlaneWords(out, k, 16 + k, x[k]);
    __m128i last[16];
    transposePart<2>(rows, last);
#pragma GCC unroll 8
    for (int k = 0; k < 16; k += 2) {
        storeBitPlaneWords(
            out, 32 + k, 33 + k,
            _mm256_inserti128_si256(_mm256_castsi128_si256(last[k]), last[k + 1], 1));
    }
}
