#include "bladetypes.h"

#include <algorithm>

const BladeType bladeTypes[7] = {
    {1088, 399, 4, 816, {0x30, 0x03, 0x03}, HubDimming::None, 0},
    {704, 400, 4, 528, {0x10, 0x02, 0x02}, HubDimming::Wide, 0},
    {512, 400, 4, 384, {0x80, 0x01, 0x04}, HubDimming::Wide, 0},
    {320, 400, 1, 960, {0, 0, 0}, HubDimming::Narrow, 0},
    {256, 400, 1, 768, {0, 0, 0}, HubDimming::Narrow, 16},
    {224, 400, 1, 672, {0, 0, 0}, HubDimming::None, 14},
    {192, 400, 1, 576, {0, 0, 0}, HubDimming::None, 14},
};

BladeType bladeType(int ledpcs)
{
    for (const BladeType& type : bladeTypes) {
        if (type.ledpcs == ledpcs)
            return type;
    }
    return {ledpcs, 400, 1, std::max(0, 3 * ledpcs), {0, 0, 0}, HubDimming::None, 0};
}

const BladeType* bladeTypeForLine(int lineBytes)
{
    for (const BladeType& type : bladeTypes) {
        if (3 * type.ledpcs == lineBytes)
            return type.hub == HubDimming::None && type.bitPlaneChannels == 0 ? nullptr : &type;
    }
    return nullptr;
}

int bitPlaneChannelsOf(int ledpcs)
{
    const BladeType* type = bladeTypeForLine(6 * halfLineLength(ledpcs));
    return type ? type->bitPlaneChannels : 0;
}

int halfLineLength(int ledpcs)
{
    // The same count as sampling's loop "d < ledpcs * 0.5".
    return ledpcs > 0 ? (ledpcs + 1) / 2 : 0;
}

int lineBufferSize(int lineBytes)
{
    const BladeType* type = bladeTypeForLine(lineBytes);
    return type && type->bitPlaneChannels > 0 ? packedLineSize : lineBytes;
}
