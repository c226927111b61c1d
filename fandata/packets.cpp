#include "packets.h"

#include <algorithm>

std::vector<char> RecordLayout::headers() const
{
    std::vector<char> all(size_t(packets()) * packetHeaderSize);
    char* header = all.data();
    for (int line = 0; line < lines(); ++line) {
        for (int chunk = 0; chunk < chunks(); ++chunk, header += packetHeaderSize)
            writePacketHeader(header, m_blade, line, chunk);
    }
    return all;
}

QVector<QByteArray> RecordLayout::lines(const char* record) const
{
    QVector<QByteArray> result;
    result.reserve(lines());
    for (int line = 0; line < lines(); ++line) {
        QByteArray data;
        data.reserve(chunks() * chunkBytes());
        for (int chunk = 0; chunk < chunks(); ++chunk)
            data.append(record + packetOffset(line, chunk) + packetHeaderSize, chunkBytes());
        result.append(data);
    }
    return result;
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
        const int available =
            int(std::clamp<qsizetype>(lineData.size() - start, 0, blade.chunkBytes));
        record.append(lineData.constData() + start, available);
        if (available < blade.chunkBytes)
            record.append(blade.chunkBytes - available, '\0');
    }
}
