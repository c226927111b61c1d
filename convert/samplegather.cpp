#include "samplegather.h"

#include "kernels/samplegatherkernels.h"

void gatherGroup(VectorKernel kernel, int group, int samples, GatherCursor& cursor,
                 const uchar* frame, uchar* out)
{
    // Whole blocks, then the rest one by one.
    const int blocks = samples / gatherLanes;
#ifdef ROTAVIS_X86_KERNELS
    if (usesAvx2(kernel))
        gatherBlocksAvx2(group, blocks, cursor, frame, out);
    else
#else
    Q_UNUSED(kernel);
#endif
        gatherBlocksScalar(group, blocks, cursor, frame, out);
    const int entries = entriesPerSample(group);
    const int whole = blocks * gatherLanes;
    const GatherCursor rest = {cursor.positions + whole, cursor.offsets + entries * whole,
                               cursor.weights + entries * whole};
    gatherSamplesScalar(group, samples - whole, rest, frame, out);
    cursor.positions += samples;
    cursor.offsets += entries * samples;
    cursor.weights += entries * samples;
}

void gatherRowGroup(VectorKernel kernel, int samples, GatherCursor& cursor, const uchar* frame,
                    std::int32_t second, std::int32_t third, uchar* out)
{
#ifdef ROTAVIS_X86_KERNELS
    if (usesAvx2(kernel))
        gatherRowsAvx2(samples, cursor, frame, second, third, out);
    else
#else
    Q_UNUSED(kernel);
#endif
        gatherRowsScalar(samples, cursor, frame, second, third, out);
    cursor.positions += samples;
    cursor.offsets += samples;
    cursor.weights += samples;
}
