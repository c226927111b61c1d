#include "kernels/frontfanblendkernels.h"

void blendPixelsScalar(size_t from, size_t count, const std::int32_t* offsets, const uchar* blend,
                       const uchar* frame, uchar* out)
{
    for (size_t i = from; i < count; ++i)
        blendPixel(offsets[i], blend + 4 * i, frame, out + 3 * i);
}
