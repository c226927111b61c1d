#ifndef ROTAVIS_YUVPLANES_H
#define ROTAVIS_YUVPLANES_H

#include <QSize>

#include <cstdint>

// The three planes of a yuv420p picture to be filled: brightness at full size, the two
// colour planes at half size each way (both sides of `size` are even).
struct YuvPlanes
{
    QSize size;
    uint8_t* luma = nullptr;
    uint8_t* blue = nullptr;
    uint8_t* red = nullptr;
    int lumaStride = 0;
    int chromaStride = 0; // of both colour planes
};

#endif
