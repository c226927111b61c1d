#ifndef ROTAVIS_BT601_H
#define ROTAVIS_BT601_H

#include <cstdint>

// BT.601 in limited range in 16-bit fixed point, as the videos are written: the coefficients
// of the exact formula (0.299, 0.587, 0.114 for the brightness; 0.5 and its partners for the
// colours) times 219 or 224 steps over the 255 of a channel, times 65536, rounded so that
// each set sums exactly to its whole. A result lies within a step of the formula in double.
//
// Constants only: the loops that use them are compiled for more than one instruction set,
// and an inline function shared between those would let one version stand in for another.
namespace bt601 {

constexpr int32_t lumaRed = 16829, lumaGreen = 33039, lumaBlue = 6416;
constexpr int32_t blueRed = -9714, blueGreen = -19070, blueBlue = 28784;
constexpr int32_t redRed = 28784, redGreen = -24103, redBlue = -4681;
// Y = (lumaRed R + lumaGreen G + lumaBlue B + lumaOffset) >> 16
constexpr int32_t lumaOffset = (16 << 16) + (1 << 15);
// A colour sample is taken from the terms of a 2 x 2 block of pixels, summed:
// Cb = (sum of blueRed R + blueGreen G + blueBlue B over the four + chromaOffset) >> 18
constexpr int32_t chromaOffset = (128 << 18) + (1 << 17);
constexpr int lumaShift = 16;
constexpr int chromaShift = 18;

} // namespace bt601

#endif
