#include "fandatafile.h"

#include "fan.h"
#include "sampling.h"

#include <QImage>

#include <algorithm>

namespace {

} // namespace

PacketFormat packetFormat(int ledpcs)
{
    switch (ledpcs) {
    case 1088:
        return {4, 816, {0x30, 0x03, 0x03}};
    case 704:
        return {4, 528, {0x10, 0x02, 0x02}};
    case 512:
        return {4, 384, {char(0x80), 0x01, 0x04}};
    default:
        return {1, std::max(0, 3 * ledpcs), {0, 0, 0}};
    }
}

namespace {

void appendLE16(QByteArray& out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

} // namespace

QString fanDataFileName(const QString& outputPath, int fanIndex, int fanCount)
{
    if (fanCount == 1)
        return outputPath + QStringLiteral(".bin");
    return outputPath + QStringLiteral("__") + QString::number(fanIndex) + QStringLiteral(".bin");
}

int fanLineCount(int ledpcs)
{
    return ledpcs == 1088 ? 399 : 400;
}

qint64 frameRecordSize(int ledpcs)
{
    const PacketFormat format = packetFormat(ledpcs);
    return qint64(fanLineCount(ledpcs)) * format.chunks * (8 + format.chunkBytes);
}

void appendLineRecord(QByteArray& record, const QByteArray& lineData, int lineIndex, int ledpcs)
{
    const PacketFormat format = packetFormat(ledpcs);
    const bool chunked = format.chunks > 1;
    for (int chunk = 0; chunk < format.chunks; ++chunk) {
        const int start = format.chunkBytes * chunk;
        record.append(packetMarker);
        appendLE16(record, lineIndex);
        appendLE16(record, chunked ? start : lineIndex + unchunkedLineOffset);
        record.append(format.type, 3);
        // A line always holds at least 3 x ledpcs bytes; should it not, the packet keeps its
        // length so that the records stay in step.
        const int available = std::clamp(lineData.size() - start, 0, format.chunkBytes);
        record.append(lineData.constData() + start, available);
        if (available < format.chunkBytes)
            record.append(format.chunkBytes - available, '\0');
    }
}

QByteArray fanFrameRecord(const QImage& layerImage, const Fan& fan)
{
    const int lineCount = fanLineCount(fan.ledpcs);
    const FanLines lines =
        sampleLines(layerImage.constBits(), fan.x, fan.y, fan.ledpcs, layerImage.width(),
                    layerImage.height(), layerImage.bytesPerLine(), lineCount);
    QByteArray record;
    record.reserve(int(frameRecordSize(fan.ledpcs)));
    for (int i = 0; i < lineCount; ++i)
        appendLineRecord(record, assembleLine(lines.at(i), i), i, fan.ledpcs);
    return record;
}
