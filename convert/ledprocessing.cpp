#include "ledprocessing.h"

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

bool swapState = false;
int packedLineCount = 0;
constexpr int linesPerSwapTurn = 300;

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
    // The product is taken in double from the single-precision factor; a float product
    // would round differently for some bytes.
    for (int c = 0; c < 3; ++c)
        led[c] = uchar(int(led[c] * double(factor) + 0.5));
}

enum class MidRange
{
    A, // 16-column table, LEDs 16 ... 127
    B, // 8-column table, LEDs 8 ... 63
};

// The hub of a spinning blade passes the same spot every turn and looks far brighter than
// the rim; the innermost LEDs are dimmed, on a pattern that changes from line to line.
void dimHub(uchar* data, int lineIndex, int partnerOffset, MidRange rule)
{
    const int row = ((lineIndex % 4) + 4) % 4;
    const bool wide = rule == MidRange::A;
    const int tableColumns = wide ? 16 : 8;
    const int last = wide ? 127 : 63;
    for (int i = 0; i <= last; ++i) {
        float factor;
        if (i < tableColumns)
            factor = wide ? hubTable16[row][i] : hubTable8[row][i];
        else if (wide)
            factor = float(0.0053 * i + 0.32);
        else
            factor = float(0.0065 * i + 0.59);
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

void advanceSwapTurn()
{
    if (packedLineCount + 1 >= linesPerSwapTurn) {
        packedLineCount = 0;
        swapState = !swapState;
    } else {
        ++packedLineCount;
    }
}

} // namespace

int bitPlaneChannels(int size)
{
    switch (size) {
    case 768:
        return 16;
    case 672:
    case 576:
        return 14;
    default:
        return 0;
    }
}

bool bitPlaneSwapAfter(qint64 packedLinesBefore)
{
    return (packedLinesBefore / linesPerSwapTurn) % 2 == 1;
}

int lineBufferSize(int size)
{
    switch (size) {
    case 768:
    case 672:
    case 576:
        return packedLineSize;
    default:
        return size;
    }
}

void processLine(uchar* data, int lineIndex, int size)
{
    if (size <= 0)
        return;
    applySquaringCurve(data, size);

    switch (size) {
    case 2112: // 704 LEDs
        dimHub(data, lineIndex, 352, MidRange::A);
        break;
    case 1536: // 512 LEDs
        dimHub(data, lineIndex, 256, MidRange::A);
        break;
    case 960: // 320 LEDs
        dimHub(data, lineIndex, 160, MidRange::B);
        break;
    case 768: // 256 LEDs
        dimHub(data, lineIndex, 128, MidRange::B);
        packLine(data, size, 16, false);
        break;
    case 672: // 224 LEDs
    case 576: // 192 LEDs
        packLine(data, size, 14, swapState);
        advanceSwapTurn();
        break;
    default: // 1088 LEDs and every other count: the curve only
        break;
    }
}

void packBitPlanes(uchar* out, const uchar* in, int channels, bool swapped)
{
    channels = std::clamp(channels, 0, 16);
    const int half = channels / 2;
    int wordBit[16];
    for (int c = 0; c < channels; ++c)
        wordBit[c] = !swapped ? c : (c < half ? c + half : c - half);

    for (int group = 0; group < 16; ++group) {
        quint32 value[16];
        for (int c = 0; c < channels; ++c) {
            const uchar* led = in + 3 * (group + 16 * c);
            value[c] = quint32(led[2]) << 16 | quint32(led[1]) << 8 | quint32(led[0]);
        }
        uchar* words = out + 48 * group;
        for (int bit = 23; bit >= 0; --bit) {
            quint32 word = 0;
            for (int c = 0; c < channels; ++c)
                word |= ((value[c] >> bit) & 1u) << wordBit[c];
            uchar* target = words + 2 * (23 - bit);
            target[0] = uchar(word & 0xFF);
            target[1] = uchar(word >> 8);
        }
    }
}

bool bitPlaneSwap()
{
    return swapState;
}

int bitPlaneLineCount()
{
    return packedLineCount;
}

void resetBitPlaneState()
{
    swapState = false;
    packedLineCount = 0;
}

void unpackBitPlanes(uchar* out, const uchar* in, int channels, bool swapped)
{
    std::memset(out, 0, packedLineSize);
    channels = std::clamp(channels, 0, 16);
    const int half = channels / 2;
    for (int group = 0; group < 16; ++group) {
        const uchar* words = in + 48 * group;
        for (int c = 0; c < channels; ++c) {
            const int wordBit = !swapped ? c : (c < half ? c + half : c - half);
            quint32 value = 0;
            for (int bit = 23; bit >= 0; --bit) {
                const uchar* word = words + 2 * (23 - bit);
                const quint32 wordValue = quint32(word[0]) | quint32(word[1]) << 8;
                value |= ((wordValue >> wordBit) & 1u) << bit;
            }
            uchar* led = out + 3 * (group + 16 * c);
            led[0] = uchar(value & 0xFF);
            led[1] = uchar((value >> 8) & 0xFF);
            led[2] = uchar(value >> 16);
        }
    }
}
