#include "fanview.h"

#include "bitplanes.h"
#include "bladetypes.h"
#include "fandiscmap.h"

#include <algorithm>
#include <cstring>

namespace {

// Pixels per LED: at least 2, and enough for a picture about 800 pixels across.
int pixelsPerLed(int halfLine)
{
    return std::max(2, (800 + 2 * halfLine - 1) / (2 * halfLine));
}

} // namespace

QByteArray ledColours(const QByteArray& lineData, int ledpcs, bool bitPlanesSwapped)
{
    const int lineLeds = 2 * halfLineLength(ledpcs);
    QByteArray colours(3 * lineLeds, '\0');
    const int carried = std::min<int>(lineData.size(), 3 * std::max(0, ledpcs));
    const int channels = bitPlaneChannelsOf(ledpcs);
    if (channels == 0) {
        std::memcpy(colours.data(), lineData.constData(), size_t(carried));
        return colours;
    }
    // The packed block is 768 bytes, of which the file carries the first 3 x ledpcs.
    uchar packed[packedLineSize] = {};
    std::memcpy(packed, lineData.constData(), size_t(std::min(carried, packedLineSize)));
    uchar unpacked[packedLineSize];
    unpackBitPlanesFast(unpacked, packed, channels, bitPlanesSwapped);
    // Groups past the carried bytes never reached the file: those LEDs stay black.
    const int carriedGroups = (carried + 47) / 48;
    for (int led = 0; led < lineLeds && 3 * led + 2 < packedLineSize; ++led) {
        if (led % 16 < carriedGroups)
            std::memcpy(colours.data() + 3 * led, unpacked + 3 * led, 3);
    }
    return colours;
}

QVector<QByteArray> ledColoursOfLines(const QVector<QByteArray>& lines, int ledpcs,
                                      const SwapTurn& swapped)
{
    const bool fourteenChannels = bitPlaneChannelsOf(ledpcs) == 14;
    QVector<QByteArray> colours;
    colours.reserve(lines.size());
    for (int k = 0; k < lines.size(); ++k)
        colours.append(ledColours(lines.at(k), ledpcs, fourteenChannels && swapped && swapped(k)));
    return colours;
}

QImage renderFanView(const QVector<QByteArray>& lines, int ledpcs, const SwapTurn& swapped)
{
    const int halfLine = halfLineLength(ledpcs);
    const int lineCount = lines.size();
    if (halfLine == 0 || lineCount == 0)
        return QImage();

    const int side = 2 * halfLine * pixelsPerLed(halfLine);
    return FanDiscMap(ledpcs, lineCount, side).render(ledColoursOfLines(lines, ledpcs, swapped));
}
