#ifndef ROTAVIS_SAMPLEGATHER_H
#define ROTAVIS_SAMPLEGATHER_H

#include "vectorkernel.h"

#include <QtGlobal>

#include <cstdint>

// The loops that gather a fan's samples from the frame, for the sample map. A sample is the
// average of the 3 x 3 block at its point of the layer image: a few frame pixels, each with a
// whole-number weight out of 9, summed and divided by 9.
//
// The samples come in groups, one per number of pixels read: group 0 reads one pixel nine
// times (the sample is that pixel), group g = 1 ... 9 reads g pixels with their weights. In
// a group, the samples are kept in blocks of gatherLanes samples, entry by entry (the first
// pixel of each of the block's samples, then the second, ...), so that a block can be read
// lane-parallel (by the AVX2 kernel where the processor has it); the samples after the last
// whole block follow one by one.

constexpr int gatherLanes = 8;

// Pixels (offsets and weights) per sample of group `group`.
constexpr int entriesPerSample(int group)
{
    return group == 0 ? 1 : group;
}

// Where the next sample's entries are, moved on past each gathered group.
struct GatherCursor
{
    const std::uint32_t* positions; // byte offset of each sample's 3 bytes in `out`
    const std::int32_t* offsets;    // frame byte offsets, or ~(byte offset of a painted pixel)
    const std::uint8_t* weights;    // how many of the block's nine pixels each entry is (of a
                                    // sample read in rows: its column pattern)
};

// Gathers the `samples` samples of group `group` (0 ... 9). Each pixel is read as 4 bytes:
// none of them may lie in the frame's last 3 bytes.
void gatherGroup(VectorKernel kernel, int group, int samples, GatherCursor& cursor,
                 const uchar* frame, uchar* out);

// Samples whose 3 x 3 block is three rows of the frame read at the same three columns. A
// sample has one offset, that of its first row's first pixel, and one pattern byte
// (stepPattern): how many pixels right of it the other two columns start. They come in runs
// of samples whose other two rows lie the same number of rows below the first one. Each row
// is read as 16 bytes: none may lie closer than 16 bytes to the end of the frame.
constexpr int rowStepsMost = 4; // pixels or rows from the first column or row, at most
constexpr int stepPatterns = (rowStepsMost + 1) * (rowStepsMost + 1);

// The pattern of steps 0, `second` and `third`.
constexpr std::uint8_t stepPattern(int second, int third)
{
    return std::uint8_t(second + (rowStepsMost + 1) * third);
}
constexpr int secondStep(int pattern)
{
    return pattern % (rowStepsMost + 1);
}
constexpr int thirdStep(int pattern)
{
    return pattern / (rowStepsMost + 1);
}

// Gathers a run of `samples` such samples whose second and third rows lie `second` and
// `third` bytes below the first.
void gatherRowGroup(VectorKernel kernel, int samples, GatherCursor& cursor, const uchar* frame,
                    std::int32_t second, std::int32_t third, uchar* out);

// Gathers `samples` samples one by one, sample s reading counts[s] entries: frame pixels,
// or painted pixels (3 bytes each in `painted`) where the offset is negative.
void gatherEachSample(int samples, const std::uint8_t* counts, GatherCursor& cursor,
                      const uchar* frame, const uchar* painted, uchar* out);

#endif
