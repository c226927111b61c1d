#ifndef ROTAVIS_FRONTFANBLENDKERNELS_H
#define ROTAVIS_FRONTFANBLENDKERNELS_H

// The learned front-fan blending of FrontFanLayers, one loop per instruction set. `offsets`
// holds each pixel's frame offset (-1: outside the frame, black), `blend` its s (R, G, B) and
// 255 - a, `out` receives 3 bytes per pixel.

#include "vectorkernel.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>

// The raster engine's product of a byte and an 8-bit alpha (its BYTE_MUL, per channel).
inline uchar byteMul(unsigned value, unsigned alpha)
{
    const unsigned t = value * alpha;
    return uchar((t + (t >> 8) + 0x80) >> 8);
}

// The learned blending of one pixel: each channel becomes s + d (255 - a) / 255 (`blend`
// holds s and 255 - a), d the frame's byte, 0 where the pixel lies outside the frame
// (offset < 0).
inline void blendPixel(std::int32_t offset, const uchar* blend, const uchar* frame, uchar* out)
{
    const unsigned rest = blend[3];
    for (int c = 0; c < 3; ++c) {
        const unsigned d = offset >= 0 ? frame[offset + c] : 0;
        out[c] = uchar(blend[c] + byteMul(d, rest));
    }
}

// blendPixel for pixels `from` ... `count` - 1.
void blendPixelsScalar(size_t from, size_t count, const std::int32_t* offsets, const uchar* blend,
                       const uchar* frame, uchar* out);

#ifdef ROTAVIS_X86_KERNELS
// blendPixel for eight pixels at a time, from the first; each pixel is read as 4 bytes, so
// none may lie in the frame's last 3 bytes. Returns the pixels it did.
size_t blendPixelsAvx2(size_t count, const std::int32_t* offsets, const uchar* blend,
                       const uchar* frame, uchar* out);
#endif

#endif
