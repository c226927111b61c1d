#ifndef ROTAVIS_LINECOLOURS_X86_H
#define ROTAVIS_LINECOLOURS_X86_H

// What the x86 kernels of LineColours share: where the LEDs' channels lie in a block of
// vectors, and the transpose of the bit planes.

#include <QtGlobal>

#include <cstdint>
#include <cstring>
#include <immintrin.h>

// Per byte of vector k of a block of three vectors of `Bytes` bytes: all ones where the
// byte is its LED's R (place 0), G (1) or B (2).
template <int Bytes>
struct LedPlaces
{
    alignas(32) uchar bytes[3][3][Bytes];
    constexpr LedPlaces() : bytes{}
    {
        for (int k = 0; k < 3; ++k) {
            for (int i = 0; i < Bytes; ++i)
                bytes[k][(Bytes * k + i) % 3][i] = 0xFF;
        }
    }
};

// Where the bit-plane word of bit `bit` of byte `byte` of the channels' 16 LEDs goes: the
// LEDs' bytes are R, G, B, value bits 0-7, 8-15, 16-23, of 16 words per group of 3 bytes.
// The word of the bit below follows it.
inline uchar* wordPlace(uchar* out, int byte, int bit)
{
    return out + 48 * (byte / 3) + 2 * (23 - (8 * (byte % 3) + bit));
}

// Bytes 16 part ... 16 part + 15 of the 16 channels, transposed: byte k of every channel lies
// in vector x[k], lane = the channel's bit in the words; the top bit of each lane is then one
// bit-plane word. The loops unroll whole so that the vectors stay in registers and every
// word's place is a constant.
template <int part>
inline void transposePart(const uchar* const rows[16], __m128i x[16])
{
    __m128i y[16];
#pragma GCC unroll 16
    for (int lane = 0; lane < 16; ++lane)
        x[lane] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[lane] + 16 * part));

        // Four perfect shuffles transpose a 16 x 16 block of bytes.
#pragma GCC unroll 2
    for (int round = 0; round < 2; ++round) {
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            y[2 * i] = _mm_unpacklo_epi8(x[i], x[i + 8]);
            y[2 * i + 1] = _mm_unpackhi_epi8(x[i], x[i + 8]);
        }
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            x[2 * i] = _mm_unpacklo_epi8(y[i], y[i + 8]);
            x[2 * i + 1] = _mm_unpackhi_epi8(y[i], y[i + 8]);
        }
    }
}

// Bytes 0-31 of the 16 channels, transposed: x[k] holds byte k of every channel in its low
// half and byte 16 + k in its high half (the 128-bit halves of each vector shuffle apart).
__attribute__((target("avx2"))) inline void transposeLowParts(const uchar* const rows[16],
                                                              __m256i x[16])
{
    __m256i y[16];
#pragma GCC unroll 16
    for (int lane = 0; lane < 16; ++lane)
        x[lane] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[lane]));
#pragma GCC unroll 2
    for (int round = 0; round < 2; ++round) {
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            y[2 * i] = _mm256_unpacklo_epi8(x[i], x[i + 8]);
            y[2 * i + 1] = _mm256_unpackhi_epi8(x[i], x[i + 8]);
        }
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            x[2 * i] = _mm256_unpacklo_epi8(y[i], y[i + 8]);
            x[2 * i + 1] = _mm256_unpackhi_epi8(y[i], y[i + 8]);
        }
    }
}

#endif
