#include "kernels/samplegatherkernels.h"

#include <cstring>
#include <immintrin.h>

namespace {

// x / 9 as x * ninthMultiplier / 65536, for the sums of 16-bit lanes.
constexpr unsigned ninthMultiplier = 7282;
constexpr bool ninthByMultiplicationIsExact()
{
    for (unsigned sum = 0; sum <= 9 * 255; ++sum) {
        if ((sum * ninthMultiplier) >> 16 != sum / 9)
            return false;
    }
    return true;
}
static_assert(ninthByMultiplicationIsExact(), "the multiplier must divide every sum by 9 exactly");

// The sums of one block of samples, all lanes at once: each lane's low 3 bytes are its
// sample. R and B share a 32-bit lane (bits 0-15 and 16-31), G has one of its own; the
// division by 9 is a multiplication by 7282 / 65536, exact for every sum up to 9 x 255.
template <int Count>
__attribute__((target("avx2"))) inline __m256i
blockAvx2(const std::int32_t* offsets, const std::uint8_t* weights, const uchar* frame)
{
    const int* base = reinterpret_cast<const int*>(frame);
    if constexpr (Count == 0) {
        return _mm256_i32gather_epi32(
            base, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets)), 1);
    } else {
        const __m256i lowBytes = _mm256_set1_epi32(0x00FF00FF);
        const __m256i lowByte = _mm256_set1_epi32(0xFF);
        __m256i redBlue = _mm256_setzero_si256();
        __m256i green = _mm256_setzero_si256();
#pragma GCC unroll 9
        for (int e = 0; e < Count; ++e) {
            const __m256i where =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets + e * gatherLanes));
            const __m256i pixels = _mm256_i32gather_epi32(base, where, 1);
            __m256i rb = _mm256_and_si256(pixels, lowBytes);
            __m256i g = _mm256_and_si256(_mm256_srli_epi32(pixels, 8), lowByte);
            if constexpr (Count != 9) { // nine pixels of a block of nine: each weighs 1
                std::uint64_t eight;
                std::memcpy(&eight, weights + e * gatherLanes, 8);
                const __m256i weight = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(qint64(eight)));
                rb = _mm256_mullo_epi16(rb, _mm256_or_si256(weight, _mm256_slli_epi32(weight, 16)));
                g = _mm256_mullo_epi16(g, weight);
            }
            redBlue = _mm256_add_epi32(redBlue, rb);
            green = _mm256_add_epi32(green, g);
        }
        const __m256i ninth = _mm256_set1_epi16(short(ninthMultiplier));
        return _mm256_or_si256(_mm256_mulhi_epu16(redBlue, ninth),
                               _mm256_slli_epi32(_mm256_mulhi_epu16(green, ninth), 8));
    }
}

// The low 3 bytes of `rgb` to `out`.
inline void put3(uchar* out, std::uint32_t rgb)
{
    const std::uint16_t redGreen = std::uint16_t(rgb);
    std::memcpy(out, &redGreen, 2);
    out[2] = uchar(rgb >> 16);
}

// The whole blocks of a group, all lanes at once.
template <int Count>
__attribute__((target("avx2"))) void gatherBlocks(int blocks, const GatherCursor& cursor,
                                                  const uchar* frame, uchar* out)
{
    const std::uint32_t* positions = cursor.positions;
    const std::int32_t* offsets = cursor.offsets;
    const std::uint8_t* weights = cursor.weights;
    for (int b = 0; b < blocks; ++b) {
        const __m256i rgb = blockAvx2<Count>(offsets, weights, frame);
        const __m128i low = _mm256_castsi256_si128(rgb);
        const __m128i high = _mm256_extracti128_si256(rgb, 1);
        put3(out + positions[0], std::uint32_t(_mm_cvtsi128_si32(low)));
        put3(out + positions[1], std::uint32_t(_mm_extract_epi32(low, 1)));
        put3(out + positions[2], std::uint32_t(_mm_extract_epi32(low, 2)));
        put3(out + positions[3], std::uint32_t(_mm_extract_epi32(low, 3)));
        put3(out + positions[4], std::uint32_t(_mm_cvtsi128_si32(high)));
        put3(out + positions[5], std::uint32_t(_mm_extract_epi32(high, 1)));
        put3(out + positions[6], std::uint32_t(_mm_extract_epi32(high, 2)));
        put3(out + positions[7], std::uint32_t(_mm_extract_epi32(high, 3)));
        positions += gatherLanes;
        offsets += entriesPerSample(Count) * gatherLanes;
        weights += entriesPerSample(Count) * gatherLanes;
    }
}
using Gatherer = void (*)(int, const GatherCursor&, const uchar*, uchar*);
constexpr Gatherer blockGatherers[10] = {
    gatherBlocks<0>, gatherBlocks<1>, gatherBlocks<2>, gatherBlocks<3>, gatherBlocks<4>,
    gatherBlocks<5>, gatherBlocks<6>, gatherBlocks<7>, gatherBlocks<8>, gatherBlocks<9>};

// For each column pattern, the byte shuffle that sets a row's 16 bytes out as the channel
// pairs (R, R', G, G', B, B') of the first two columns and then R'', G'', B'' of the third,
// each followed by a zero, so that one pairwise add gives six 16-bit sums.
struct RowShuffles
{
    alignas(16) std::uint8_t masks[stepPatterns][16];
};

constexpr RowShuffles rowShuffles()
{
    RowShuffles table{};
    for (int second = 0; second <= rowStepsMost; ++second) {
        for (int third = 0; third <= rowStepsMost; ++third) {
            std::uint8_t* mask = table.masks[stepPattern(second, third)];
            for (int channel = 0; channel < 3; ++channel) {
                mask[2 * channel] = std::uint8_t(channel);
                mask[2 * channel + 1] = std::uint8_t(3 * second + channel);
                mask[6 + 2 * channel] = std::uint8_t(3 * third + channel);
                mask[7 + 2 * channel] = 0x80;
            }
            for (int zero = 12; zero < 16; ++zero)
                mask[zero] = 0x80;
        }
    }
    return table;
}

// The six 16-bit channel sums of the row at `bytes` (see RowShuffles), each taken `times`
// times.
__attribute__((target("avx2"))) inline __m128i rowSums(const uchar* bytes, __m128i mask,
                                                       __m128i times)
{
    const __m128i row = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    return _mm_maddubs_epi16(_mm_shuffle_epi8(row, mask), times);
}

// The rows at 0 and `second` bytes from each sample's first pixel, taken `firstTimes` and
// `secondTimes` times (where the block reads a row of the frame for two or three of its
// rows, that row is read once and taken as often); with Rows == 3, also the row at `third`,
// once.
template <int Rows>
__attribute__((target("avx2"))) void
gatherRows(int samples, const GatherCursor& cursor, const uchar* frame, std::int32_t second,
           std::int32_t third, int firstTimes, int secondTimes, uchar* out)
{
    static constexpr RowShuffles shuffles = rowShuffles();
    const __m128i ninth = _mm_set1_epi16(short(ninthMultiplier));
    const __m128i timesFirst = _mm_set1_epi8(char(firstTimes));
    const __m128i timesSecond = _mm_set1_epi8(char(secondTimes));
    const std::int32_t* offsets = cursor.offsets;
    const std::uint8_t* patterns = cursor.weights;
    const std::uint32_t* positions = cursor.positions;
    for (int s = 0; s < samples; ++s) {
        const __m128i mask =
            _mm_load_si128(reinterpret_cast<const __m128i*>(shuffles.masks[patterns[s]]));
        const uchar* first = frame + offsets[s];
        __m128i sums = _mm_add_epi16(rowSums(first, mask, timesFirst),
                                     rowSums(first + second, mask, timesSecond));
        if constexpr (Rows == 3)
            sums = _mm_add_epi16(sums, rowSums(first + third, mask, _mm_set1_epi8(1)));
        sums = _mm_add_epi16(sums, _mm_srli_si128(sums, 6));
        const __m128i rgb = _mm_packus_epi16(_mm_mulhi_epu16(sums, ninth), sums);
        put3(out + positions[s], std::uint32_t(_mm_cvtsi128_si32(rgb)));
    }
}

} // namespace

void gatherBlocksAvx2(int group, int blocks, const GatherCursor& cursor, const uchar* frame,
                      uchar* out)
{
    blockGatherers[group](blocks, cursor, frame, out);
}

// The rows of a row pattern at 0, `second` and `third` bytes, read as few times as they
// repeat.
__attribute__((target("avx2"))) void gatherRowsAvx2(int samples, const GatherCursor& cursor,
                                                    const uchar* frame, std::int32_t second,
                                                    std::int32_t third, uchar* out)
{
    if (second == 0 && third == 0)
        gatherRows<2>(samples, cursor, frame, 0, 0, 3, 0, out);
    else if (second == 0) // rows 0, 0, third
        gatherRows<2>(samples, cursor, frame, third, 0, 2, 1, out);
    else if (second == third) // rows 0, second, second
        gatherRows<2>(samples, cursor, frame, second, 0, 1, 2, out);
    else
        gatherRows<3>(samples, cursor, frame, second, third, 1, 1, out);
}
