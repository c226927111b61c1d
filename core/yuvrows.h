#ifndef ROTAVIS_YUVROWS_H
#define ROTAVIS_YUVROWS_H

#include <cstdint>

// Two rows of a 24-bit RGB picture of even width into yuv420p: both rows' brightness and one
// row of each colour plane, BT.601 in limited range in 16-bit fixed point. Every version
// computes the same integers, so they give the same bytes.
struct YuvRowPair
{
    const uint8_t* top;
    const uint8_t* bottom;
    uint8_t* lumaTop;
    uint8_t* lumaBottom;
    uint8_t* blue;
    uint8_t* red;
    int32_t* blueSums; // room for `width` values
    int32_t* redSums;  // room for `width` values
    int width;
};

void convertYuvRowPair(const YuvRowPair& rows);
void convertYuvRowPairPlain(const YuvRowPair& rows);
#if defined(__x86_64__) || defined(__i386__)
void convertYuvRowPairAvx2(const YuvRowPair& rows);
#endif

#endif
