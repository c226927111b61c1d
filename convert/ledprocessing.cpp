#include "ledprocessing.h"

#include "bitplanes.h"
#include "bladetypes.h"

#include <algorithm>
#include <cstring>

const float hubTable16[4][16] = {
    {0, 0, 0, 0, 0.16f, 0.17f, 0.18f, 0.19f, 0.2f, 0.2f, 0.2f, 0.25f, 0.3f, 0.3f, 0.3f, 0.35f},
    {0, 0, 0, 0.15f, 0.16f, 0.17f, 0.18f, 0.19f, 0.2f, 0.2f, 0.25f, 0.25f, 0.3f, 0.35f, 0.3f,
     0.35f},
    {0, 0, 0, 0.15f, 0.16f, 0.17f, 0.18f, 0.19f, 0.2f, 0.2f, 0.25f, 0.3f, 0.3f, 0.35f, 0.35f,
     0.35f},
    {0.15f, 0.25f, 0.35f, 0.35f, 0.38f, 0.42f, 0.46f, 0.5f, 0.55f, 0.65f, 0.65f, 0.65f, 0.65f,
     0.65f, 0.7f, 0.7f},
};

const float hubTable8[4][8] = {
    {0, 0, 0, 0.15f, 0.16f, 0.2f, 0.3f, 0.4f},
    {0, 0, 0, 0.15f, 0.16f, 0.2f, 0.3f, 0.4f},
    {0, 0, 0, 0.15f, 0.16f, 0.2f, 0.3f, 0.4f},
    {0.15f, 0.45f, 0.65f, 0.8f, 0.9f, 1, 1, 1},
};

namespace {

// LEDs respond far from linearly; squaring darkens the mid-tones. A channel at the LED's
// maximum stays put once that maximum is near full brightness, so saturated colours keep
// their peak.
void applySquaringCurve(uchar* data, int size)
{
    for (int i = 0; i + 2 < size; i += 3) {
        uchar* led = data + i;
        const int peak = std::max({led[0], led[1], led[2]});
        for (int c = 0; c < 3; ++c) {
            if (peak >= 240 && led[c] == peak)
                continue;
            led[c] = uchar(led[c] * led[c] / 255);
        }
    }
}

void dimLed(uchar* led, float factor)
{
    for (int c = 0; c < 3; ++c)
        led[c] = dimmedByte(led[c], factor);
}

// The hub of a spinning blade passes the same spot every turn and looks far brighter than
// the rim; the innermost LEDs are dimmed, on a pattern that changes from line to line.
void dimHub(uchar* data, int lineIndex, int partnerOffset, bool wide)
{
    const int dimmed = hubDimmedLeds(wide ? HubDimming::Wide : HubDimming::Narrow);
    for (int i = 0; i < dimmed; ++i) {
        const float factor = hubFactor(wide, lineIndex, i);
        if (factor >= 1.0f)
            continue;
        dimLed(data + 3 * i, factor);
        dimLed(data + 3 * (i + partnerOffset), factor);
    }
}

void packLine(uchar* data, int size, int channels, bool swapped)
{
    // Only the line's own bytes are copied: LEDs beyond a short line's end are black,
    // whatever the buffer holds there.
    uchar scratch[packedLineSize] = {};
    std::memcpy(scratch, data, size_t(std::min(size, packedLineSize)));
    std::memset(data, 0, packedLineSize);
    packBitPlanes(data, scratch, channels, swapped);
}

} // namespace

float hubFactor(bool wide, int lineIndex, int i)
{
    const int row = ((lineIndex % 4) + 4) % 4;
    if (wide) {
        if (i < 16)
            return hubTable16[row][i];
        return i < hubDimmedLeds(HubDimming::Wide) ? float(0.0053 * i + 0.32) : 1.0f;
    }
    if (i < 8)
        return hubTable8[row][i];
    return i < hubDimmedLeds(HubDimming::Narrow) ? float(0.0065 * i + 0.59) : 1.0f;
}

void processLine(uchar* data, int lineIndex, int size, BitPlaneTurn& turn)
{
    if (size <= 0)
        return;
    applySquaringCurve(data, size);

    const BladeType* blade = bladeTypeForLine(size);
    if (!blade)
        return; // 1088 LEDs and every other count: the curve only
    if (blade->hub != HubDimming::None)
        dimHub(data, lineIndex, blade->ledpcs / 2, blade->hub == HubDimming::Wide);
    if (blade->bitPlaneChannels == 16)
        packLine(data, size, 16, false);
    else if (blade->bitPlaneChannels == 14)
        packLine(data, size, 14, turn.next());
}
