#ifndef ROTAVIS_PIXELRUNS_H
#define ROTAVIS_PIXELRUNS_H

#include <QSize>

#include <cstdint>
#include <vector>

// Pixels of a picture as runs along its rows: the columns [begin, end) of row `row`. Runs lie
// in row order and, within a row, left to right, with at least one pixel between them.
struct PixelRun
{
    int row;
    int begin;
    int end;
};
using PixelRuns = std::vector<PixelRun>;

// The runs of the marked pixels of a picture of `size` (`marks`: one byte per pixel, row by
// row, non-zero where marked). Runs fewer than `join` pixels apart are joined, the pixels
// between them taken in: for a consumer that pays per run, a few pixels more cost less.
PixelRuns pixelRunsOf(const std::vector<std::uint8_t>& marks, QSize size, int join);

// The pixels of a picture of `size` that `runs` leave out, as runs.
PixelRuns pixelRunsOutside(const PixelRuns& runs, QSize size);

#endif
