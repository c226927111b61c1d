#include "bitplanes.h"
#include "bladetypes.h"
#include "kernels/linecolourkernels.h"

#include <algorithm>
#include <cstring>

// LEDs respond far from linearly; squaring darkens the mid-tones. A channel at the LED's
// maximum stays put once that maximum is near full brightness, so saturated colours keep
// their peak.
void curveLedsScalar(uchar* data, int leds, const uchar* square)
{
    for (int i = 0; i < leds; ++i, data += 3) {
        const unsigned r = data[0];
        const unsigned g = data[1];
        const unsigned b = data[2];
        const unsigned peak = std::max(r, std::max(g, b));
        const unsigned bright = peak >= 240 ? peak : 256; // no byte equals 256
        const unsigned keepR = 0u - unsigned(r == bright);
        const unsigned keepG = 0u - unsigned(g == bright);
        const unsigned keepB = 0u - unsigned(b == bright);
        data[0] = uchar((r & keepR) | (square[r] & ~keepR));
        data[1] = uchar((g & keepG) | (square[g] & ~keepG));
        data[2] = uchar((b & keepB) | (square[b] & ~keepB));
    }
}

void dimBytesScalar(uchar* bytes, const std::uint32_t* multipliers, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = uchar((bytes[i] * multipliers[i] + (1u << 23)) >> 24);
}

void packBitPlanesScalar(uchar* out, const uchar* in, int channels, bool swapped, int inBytes)
{
    if (inBytes < packedLineSize) {
        uchar whole[packedLineSize] = {};
        std::memcpy(whole, in, size_t(std::max(0, inBytes)));
        packBitPlanes(out, whole, channels, swapped);
        return;
    }
    packBitPlanes(out, in, channels, swapped);
}
