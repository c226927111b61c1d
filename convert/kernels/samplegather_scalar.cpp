#include "kernels/samplegatherkernels.h"

#include <cstring>

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
void gatherBlocks(int blocks, const GatherCursor& cursor, const uchar* frame, uchar* out)
{
    const std::uint32_t* positions = cursor.positions;
    const std::int32_t* offsets = cursor.offsets;
    const std::uint8_t* weights = cursor.weights;
    for (int b = 0; b < blocks; ++b) {
        for (int lane = 0; lane < gatherLanes; ++lane)
            gatherOne<Count, gatherLanes>(offsets + lane, weights + lane, frame,
                                          out + positions[lane]);
        positions += gatherLanes;
        offsets += entriesPerSample(Count) * gatherLanes;
        weights += entriesPerSample(Count) * gatherLanes;
    }
}

// Samples kept one by one.
template <int Count>
void gatherSamples(int samples, const GatherCursor& cursor, const uchar* frame, uchar* out)
{
    constexpr int entries = entriesPerSample(Count);
    const std::int32_t* offset = cursor.offsets;
    const std::uint8_t* weight = cursor.weights;
    for (int s = 0; s < samples; ++s) {
        gatherOne<Count, 1>(offset, weight, frame, out + cursor.positions[s]);
        offset += entries;
        weight += entries;
    }
}

using Gatherer = void (*)(int, const GatherCursor&, const uchar*, uchar*);
constexpr Gatherer blockGatherers[10] = {
    gatherBlocks<0>, gatherBlocks<1>, gatherBlocks<2>, gatherBlocks<3>, gatherBlocks<4>,
    gatherBlocks<5>, gatherBlocks<6>, gatherBlocks<7>, gatherBlocks<8>, gatherBlocks<9>};
constexpr Gatherer sampleGatherers[10] = {
    gatherSamples<0>, gatherSamples<1>, gatherSamples<2>, gatherSamples<3>, gatherSamples<4>,
    gatherSamples<5>, gatherSamples<6>, gatherSamples<7>, gatherSamples<8>, gatherSamples<9>};

} // namespace

void gatherBlocksScalar(int group, int blocks, const GatherCursor& cursor, const uchar* frame,
                        uchar* out)
{
    blockGatherers[group](blocks, cursor, frame, out);
}

void gatherSamplesScalar(int group, int samples, const GatherCursor& cursor, const uchar* frame,
                         uchar* out)
{
    sampleGatherers[group](samples, cursor, frame, out);
}

void gatherRowsScalar(int samples, const GatherCursor& cursor, const uchar* frame,
                      std::int32_t second, std::int32_t third, uchar* out)
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
