#include "packets.h"

#include <algorithm>

qint64 frameRecordSize(int ledpcs)
{
    const BladeType blade = bladeType(ledpcs);
    return qint64(blade.linesPerFrame) * blade.chunks * (packetHeaderSize + blade.chunkBytes);
}

void writePacketHeader(char* out, const BladeType& blade, int lineIndex, int chunk)
{
    const int second =
        blade.chunks > 1 ? blade.chunkBytes * chunk : lineIndex + unchunkedLineOffset;
    out[0] = char(packetMarker);
    out[1] = char(lineIndex & 0xFF);
    out[2] = char((lineIndex >> 8) & 0xFF);
    out[3] = char(second & 0xFF);
    out[4] = char((second >> 8) & 0xFF);
    for (int i = 0; i < 3; ++i)
        out[5 + i] = char(blade.typeBytes[i]);
}

void appendLineRecord(QByteArray& record, const QByteArray& lineData, int lineIndex, int ledpcs)
{
    const BladeType blade = bladeType(ledpcs);
    for (int chunk = 0; chunk < blade.chunks; ++chunk) {
        const int start = blade.chunkBytes * chunk;
        char header[packetHeaderSize];
        writePacketHeader(header, blade, lineIndex, chunk);
        record.append(header, packetHeaderSize);
        // A line always holds at least 3 x ledpcs bytes; should it not, the packet keeps its
        // length so that the records stay in step.
        const int available = std::clamp(lineData.size() - start, 0, blade.chunkBytes);
        record.append(lineData.constData() + start, available);
        if (available < blade.chunkBytes)
            record.append(blade.chunkBytes - available, '\0');
    }
}
