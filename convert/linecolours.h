#ifndef ROTAVIS_LINECOLOURS_H
#define ROTAVIS_LINECOLOURS_H

#include "bladetypes.h"
#include "vectorkernel.h"

#include <QtGlobal>

#include <cstdint>

// The second stage of the conversion: the LED colour processing of a line. The
// same result as processLine, which stays as the reference: the squaring curve in 16-byte
// vectors, the hub dimming by integer multipliers that give the same bytes, the bit planes by
// a transpose.
class LineColours
{
public:
    // For lines of `lineBytes` bytes (the processing is chosen by the length, as processLine
    // does), by `kernel` where the processor runs it.
    explicit LineColours(int lineBytes, VectorKernel kernel = selectedVectorKernel());

    // Bytes the line buffer must hold (768 for packed lines).
    int bufferSize() const { return m_bufferSize; }
    // Whether lines are packed into bit planes: the LEDs then no longer stay in their places.
    bool packs() const { return m_channels > 0; }
    // Whether lines are packed in 14 channels, and so take a swap turn each.
    bool takesSwapTurns() const { return m_channels == 14; }

    // Processes the line in place; `swapped` is the turn of a 14-channel line. A line that is
    // packed goes to `packed` (bufferSize() bytes) where that is given, else in place.
    void process(uchar* line, int lineIndex, bool swapped, uchar* packed = nullptr) const;

private:
    int m_lineBytes = 0;
    int m_bufferSize = 0;
    int m_channels = 0;
    int m_dimmedLeds = 0;
    int m_partnerOffset = 0;
    VectorKernel m_kernel;
    // The hub dimming's multiplier for each byte of LEDs 0 ... m_dimmedLeds - 1, for line
    // row 0, then 1, 2, 3
    const std::uint32_t* m_dimming = nullptr;
};

// Packs like packBitPlanes, by a transpose of the bit planes. Only the first `inBytes` of
// `in` are read; the rest read as zeros.
void packBitPlanesFast(uchar* out, const uchar* in, int channels, bool swapped,
                       VectorKernel kernel = selectedVectorKernel(), int inBytes = packedLineSize);

#endif
