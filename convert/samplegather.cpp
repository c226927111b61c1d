#include "samplegather.h"

#include <cstring>

#ifdef ROTAVIS_AVX2_KERNELS
#include <immintrin.h>
#endif

namespace {

// Always out of 9: a block hanging over the picture's edge comes out darker.
inline void store(uchar* out, unsigned sum0, unsigned sum1, unsigned sum2)
{
    out[0] = uchar(sum0 / 9);
    out[1] = uchar(sum1 / 9);
    out[2] = uchar(sum2 / 9);
}

// A pixel read as 4 bytes (one beyond it) and spread into 16-bit fields, R in bits 0-15, B in
// 16-31 and G in 32-47, so that one multiplication weighs all three channels and sums of
// them add field by field.
inline std::uint64_t spreadPixel(const uchar* pixel)
{
    std::uint32_t bytes;
    std::memcpy(&bytes, pixel, 4);
    const std::uint64_t wide = bytes;
    return (wide | wide << 24) & 0x000000FF00FF00FFull;
}

// A sum of spread pixels, divided by 9.
inline void storeSpread(uchar* out, std::uint64_t sums)
{
    store(out, unsigned(sums & 0xFFFF), unsigned(sums >> 32), unsigned((sums >> 16) & 0xFFFF));
}

// One sample's sum. `Count` 0 is a sample whose nine pixels are one: the sample is that pixel.
template <int Count, int Stride>
inline void gatherOne(const std::int32_t* offsets, const std::uint8_t* weights, const uchar* frame,
                      uchar* out)
{
    if constexpr (Count == 0) {
        std::memcpy(out, frame + offsets[0], 3);
    } else {
        std::uint64_t sums = 0;
#pragma GCC unroll 9
        for (int e = 0; e < Count; ++e) {
            const std::uint64_t spread = spreadPixel(frame + offsets[e * Stride]);
            // Nine pixels of a block of nine: each weighs 1.
            sums += Count == 9 ? spread : spread * weights[e * Stride];
        }
        storeSpread(out, sums);
    }
}

// The whole blocks of a group, one lane at a time.
template <int Count>
void gatherBlocks(int blocks, const std::uint32_t* positions, const std::int32_t* offsets,
                  const std::uint8_t* weights, const uchar* frame, uchar* out)
{
    for (int b = 0; b < blocks; ++b) {
        for (int lane = 0; lane < gatherLanes; ++lane)
            gatherOne<Count, gatherLanes>(offsets + lane, weights + lane, frame,
                                          out + positions[lane]);
        positions += gatherLanes;
        offsets += entriesPerSample(Count) * gatherLanes;
        weights += entriesPerSample(Count) * gatherLanes;
    }
}

#ifdef ROTAVIS_AVX2_KERNELS
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
__attribute__((target("avx2"))) void
gatherBlocksAvx2(int blocks, const std::uint32_t* positions, const std::int32_t* offsets,
                 const std::uint8_t* weights, const uchar* frame, uchar* out)
{
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
#endif

// Samples that read `Count` pixels of the frame each: whole blocks, then the rest one by one.
template <int Count>
void gatherCountGroup([[maybe_unused]] VectorKernel kernel, int samples, GatherCursor& cursor,
                      const uchar* frame, uchar* out)
{
    const int blocks = samples / gatherLanes;
#ifdef ROTAVIS_AVX2_KERNELS
    if (usesAvx2(kernel))
        gatherBlocksAvx2<Count>(blocks, cursor.positions, cursor.offsets, cursor.weights, frame,
                                out);
    else
#endif
        gatherBlocks<Count>(blocks, cursor.positions, cursor.offsets, cursor.weights, frame, out);
    constexpr int entries = entriesPerSample(Count);
    const int whole = blocks * gatherLanes;
    const std::uint32_t* position = cursor.positions + whole;
    const std::int32_t* offset = cursor.offsets + entries * whole;
    const std::uint8_t* weight = cursor.weights + entries * whole;
    for (int s = whole; s < samples; ++s) {
        gatherOne<Count, 1>(offset, weight, frame, out + *position++);
        offset += entries;
        weight += entries;
    }
    cursor.positions += samples;
    cursor.offsets += entries * samples;
    cursor.weights += entries * samples;
}

using GroupGatherer = void (*)(VectorKernel, int, GatherCursor&, const uchar*, uchar*);
constexpr GroupGatherer gatherers[10] = {
    gatherCountGroup<0>, gatherCountGroup<1>, gatherCountGroup<2>, gatherCountGroup<3>,
    gatherCountGroup<4>, gatherCountGroup<5>, gatherCountGroup<6>, gatherCountGroup<7>,
    gatherCountGroup<8>, gatherCountGroup<9>};

void gatherRowsPortable(int samples, GatherCursor& cursor, const uchar* frame, std::int32_t second,
                        std::int32_t third, uchar* out)
{
    const std::int32_t rows[3] = {0, second, third};
    for (int s = 0; s < samples; ++s) {
        const int pattern = cursor.weights[s];
        const int columns[3] = {0, 3 * secondStep(pattern), 3 * thirdStep(pattern)};
        const uchar* first = frame + cursor.offsets[s];
        std::uint64_t sums = 0;
        for (const std::int32_t row : rows) {
            for (const int column : columns)
                sums += spreadPixel(first + row + column);
        }
        storeSpread(out + cursor.positions[s], sums);
    }
}

#ifdef ROTAVIS_AVX2_KERNELS
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
gatherRowsAvx2(int samples, GatherCursor& cursor, const uchar* frame, std::int32_t second,
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

// The rows of a row pattern at 0, `second` and `third` bytes, read as few times as they
// repeat.
__attribute__((target("avx2"))) void gatherRowsAvx2(int samples, GatherCursor& cursor,
                                                    const uchar* frame, std::int32_t second,
                                                    std::int32_t third, uchar* out)
{
    if (second == 0 && third == 0)
        gatherRowsAvx2<2>(samples, cursor, frame, 0, 0, 3, 0, out);
    else if (second == 0) // rows 0, 0, third
        gatherRowsAvx2<2>(samples, cursor, frame, third, 0, 2, 1, out);
    else if (second == third) // rows 0, second, second
        gatherRowsAvx2<2>(samples, cursor, frame, second, 0, 1, 2, out);
    else
        gatherRowsAvx2<3>(samples, cursor, frame, second, third, 1, 1, out);
}
#endif

} // namespace

void gatherRowGroup([[maybe_unused]] VectorKernel kernel, int samples, GatherCursor& cursor,
                    const uchar* frame, std::int32_t second, std::int32_t third, uchar* out)
{
#ifdef ROTAVIS_AVX2_KERNELS
    if (usesAvx2(kernel))
        gatherRowsAvx2(samples, cursor, frame, second, third, out);
    else
#endif
        gatherRowsPortable(samples, cursor, frame, second, third, out);
    cursor.positions += samples;
    cursor.offsets += samples;
    cursor.weights += samples;
}

void gatherGroup(VectorKernel kernel, int group, int samples, GatherCursor& cursor,
                 const uchar* frame, uchar* out)
{
    gatherers[group](kernel, samples, cursor, frame, out);
}

void gatherEachSample(int samples, const std::uint8_t* counts, GatherCursor& cursor,
                      const uchar* frame, const uchar* painted, uchar* out)
{
    for (int s = 0; s < samples; ++s) {
        unsigned sum0 = 0;
        unsigned sum1 = 0;
        unsigned sum2 = 0;
        for (int e = counts[s]; e > 0; --e) {
            const std::int32_t offset = *cursor.offsets++;
            const unsigned weight = *cursor.weights++;
            const uchar* pixel = offset >= 0 ? frame + offset : painted + ~offset;
            sum0 += weight * pixel[0];
            sum1 += weight * pixel[1];
            sum2 += weight * pixel[2];
        }
        store(out + *cursor.positions++, sum0, sum1, sum2);
    }
}
