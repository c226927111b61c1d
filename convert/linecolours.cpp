#include "linecolours.h"

#include "bitplanes.h"
#include "bladetypes.h"
#include "ledprocessing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#ifdef ROTAVIS_AVX2_KERNELS
#include <immintrin.h>
#endif

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
constexpr LedPlaces<16> narrowLedPlaces;
#endif

#ifdef ROTAVIS_AVX2_KERNELS
constexpr LedPlaces<32> wideLedPlaces;

// The curve of 32 LEDs (96 bytes) at a time, as below with 16; returns the LEDs it did.
__attribute__((target("avx2"))) int applySquaringCurveAvx2(uchar* data, int leds)
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
            // v * v / 255 in 16-bit lanes, as squareBytes does.
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
#endif

void applySquaringCurve(uchar* data, int leds, const uchar* square, VectorKernel kernel)
{
    int done = 0;
#ifdef ROTAVIS_AVX2_KERNELS
    if (usesAvx2(kernel))
        done = applySquaringCurveAvx2(data, leds);
#else
    Q_UNUSED(kernel);
#endif
#if defined(__SSE2__)
    // 16 LEDs (48 bytes) at a time. Each byte learns its LED's peak from its neighbours,
    // then keeps its value where it is that peak and the peak is 240 or more.
    const __m128i zero = _mm_setzero_si128();
    const __m128i limit = _mm_set1_epi8(char(240));
    auto place = [](int k, int p) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(narrowLedPlaces.bytes[k][p]));
    };
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
#endif
    curveLeds(data + 3 * done, leds - done, square);
}

// dimmedByte for `count` bytes, each with its multiplier.
void dimBytes(uchar* bytes, const std::uint32_t* multipliers, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = uchar((bytes[i] * multipliers[i] + (1u << 23)) >> 24);
}

#ifdef ROTAVIS_AVX2_KERNELS
// The same for a count that is a multiple of 8, eight bytes at a time.
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
#endif

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
#ifdef ROTAVIS_AVX2_KERNELS
            if (usesAvx2(m_kernel) && bytes % 8 == 0) {
                dimBytesAvx2(dimmed, multipliers, bytes);
                continue;
            }
#endif
            dimBytes(dimmed, multipliers, bytes);
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

namespace {

#if defined(__SSE2__)
// Where the bit-plane word of bit `bit` of byte `byte` of the channels' 16 LEDs goes: the
// LEDs' bytes are R, G, B, value bits 0-7, 8-15, 16-23, of 16 words per group of 3 bytes.
// The word of the bit below follows it.
inline uchar* wordPlace(uchar* out, int byte, int bit)
{
    return out + 48 * (byte / 3) + 2 * (23 - (8 * (byte % 3) + bit));
}

inline void storeWord(uchar* out, int byte, int bit, unsigned word)
{
    // Low byte first: the little-endian order of every processor with SSE2.
    const std::uint16_t bits = std::uint16_t(word);
    std::memcpy(wordPlace(out, byte, bit), &bits, 2);
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
#endif

#ifdef ROTAVIS_AVX2_KERNELS
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

// All three parts: parts 0 and 1 transposed at once, part 2 as above.
__attribute__((target("avx2"))) void packPartsAvx2(uchar* out, const uchar* const rows[16])
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

// As packPartsAvx2, with the bits of two bytes turned into words at once.
__attribute__((target("avx2,gfni"))) void packPartsGfni(uchar* out, const uchar* const rows[16])
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
#endif

} // namespace

void packBitPlanesFast(uchar* out, const uchar* in, int channels, bool swapped, VectorKernel kernel,
                       int inBytes)
{
#if defined(__SSE2__)
    if (channels == 16 || channels == 14) {
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
#ifdef ROTAVIS_AVX2_KERNELS
        if (kernel == VectorKernel::Avx2Gfni) {
            packPartsGfni(out, rows);
            return;
        }
        if (kernel == VectorKernel::Avx2) {
            packPartsAvx2(out, rows);
            return;
        }
#endif
        packPart<0>(out, rows);
        packPart<1>(out, rows);
        packPart<2>(out, rows);
        return;
    }
#endif
    Q_UNUSED(kernel);
    if (inBytes < packedLineSize) {
        uchar whole[packedLineSize] = {};
        std::memcpy(whole, in, size_t(std::max(0, inBytes)));
        packBitPlanes(out, whole, channels, swapped);
        return;
    }
    packBitPlanes(out, in, channels, swapped);
}
