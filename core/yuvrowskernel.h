// The body of a row pair's conversion, compiled once per instruction set (see yuvrows.h).
// Included by those files only. Everything here has internal linkage: a function compiled
// for AVX2 must never stand in for the plain one.

#include "bt601.h"
#include "yuvrows.h"

namespace {

using namespace bt601;

// Loops of plain strides that compilers turn into vector code: brightness per pixel, the
// colour terms of each column's two pixels, then the sum of each pair of columns.
inline void convertRows(const YuvRowPair& rows)
{
    const uint8_t* __restrict top = rows.top;
    const uint8_t* __restrict bottom = rows.bottom;
    uint8_t* __restrict lumaTop = rows.lumaTop;
    uint8_t* __restrict lumaBottom = rows.lumaBottom;
    int32_t* __restrict blueSums = rows.blueSums;
    int32_t* __restrict redSums = rows.redSums;
    uint8_t* __restrict blue = rows.blue;
    uint8_t* __restrict red = rows.red;
    const int width = rows.width;
    for (int x = 0; x < width; ++x)
        lumaTop[x] = uint8_t((lumaRed * top[3 * x] + lumaGreen * top[3 * x + 1] +
                              lumaBlue * top[3 * x + 2] + lumaOffset) >>
                             lumaShift);
    for (int x = 0; x < width; ++x)
        lumaBottom[x] = uint8_t((lumaRed * bottom[3 * x] + lumaGreen * bottom[3 * x + 1] +
                                 lumaBlue * bottom[3 * x + 2] + lumaOffset) >>
                                lumaShift);
    for (int x = 0; x < width; ++x) {
        const int32_t r = top[3 * x] + bottom[3 * x];
        const int32_t g = top[3 * x + 1] + bottom[3 * x + 1];
        const int32_t b = top[3 * x + 2] + bottom[3 * x + 2];
        blueSums[x] = blueRed * r + blueGreen * g + blueBlue * b;
        redSums[x] = redRed * r + redGreen * g + redBlue * b;
    }
    for (int x = 0; x < width / 2; ++x)
        blue[x] = uint8_t((blueSums[2 * x] + blueSums[2 * x + 1] + chromaOffset) >> chromaShift);
    for (int x = 0; x < width / 2; ++x)
        red[x] = uint8_t((redSums[2 * x] + redSums[2 * x + 1] + chromaOffset) >> chromaShift);
}

} // namespace
