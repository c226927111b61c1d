#include "fandatareader.h"

#include "nativepath.h"
#include "packets.h"

#include <algorithm>
#include <cstring>

namespace {

QString hexByte(char byte)
{
    return QStringLiteral("0x%1").arg(int(uchar(byte)), 2, 16, QLatin1Char('0'));
}

// The header that packet `chunk` of line `line` must have.
QByteArray expectedHeader(int ledpcs, int line, int chunk)
{
    QByteArray header(packetHeaderSize, '\0');
    writePacketHeader(header.data(), bladeType(ledpcs), line, chunk);
    return header;
}

const char* fieldAt(int headerByte)
{
    switch (headerByte) {
    case 0:
        return "marker";
    case 1:
    case 2:
        return "line index";
    case 3:
    case 4:
        return "chunk offset or line index + 400";
    default:
        return "blade type";
    }
}

} // namespace

bool FanDataReader::fail(qint64 offset, const QString& message)
{
    errorAt = offset;
    error = QStringLiteral("byte %1: %2").arg(offset).arg(message);
    return false;
}

void FanDataReader::reset()
{
    buffer.clear();
    file.reset();
    bytes = nullptr;
    size = 0;
    ledCount = lineCount = 0;
    recordBytes = frames = 0;
    error.clear();
    errorAt = -1;
    cutOffAllowed = false;
}

bool FanDataReader::open(const QString& path)
{
    return openFile(path, false);
}

bool FanDataReader::openCutOff(const QString& path)
{
    return openFile(path, true);
}

bool FanDataReader::openFile(const QString& path, bool cutOff)
{
    reset();
    cutOffAllowed = cutOff;
    return mapFile(path) && check();
}

bool FanDataReader::mapFile(const QString& path)
{
    file.reset(new QFile);
    if (!NativePath::open(*file, path, QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file->errorString());
        return false;
    }
    size = file->size();
    if (size > 0) {
        bytes = reinterpret_cast<const char*>(file->map(0, size));
        if (!bytes) {
            error = QStringLiteral("cannot read %1: %2").arg(path, file->errorString());
            return false;
        }
    }
    return true;
}

bool FanDataReader::read(const QByteArray& contents)
{
    reset();
    buffer = contents;
    bytes = buffer.constData();
    size = buffer.size();
    return check();
}

bool FanDataReader::check()
{
    // A run cut off before its first packet was whole left no frame, and no blade to tell.
    if (cutOffAllowed && size < packetHeaderSize)
        return true;
    if (size == 0)
        return fail(0, QStringLiteral("the file is empty"));
    if (size < packetHeaderSize)
        return fail(size, QStringLiteral("the file ends inside the first packet header"));
    if (bytes[0] != char(packetMarker))
        return fail(
            0, QStringLiteral("expected the packet marker 0x82, found %1").arg(hexByte(bytes[0])));

    for (const BladeType& blade : bladeTypes) {
        if (blade.chunks > 1 && std::memcmp(bytes + 5, blade.typeBytes, 3) == 0)
            return checkPackets(blade.ledpcs, true);
    }
    if (std::memcmp(bytes + 5, "\0\0\0", 3) != 0)
        return fail(5, QStringLiteral("unknown blade type %1 %2 %3")
                           .arg(hexByte(bytes[5]), hexByte(bytes[6]), hexByte(bytes[7])));

    const int leds = unchunkedLedCount();
    if (leds == 0) {
        // The header of the first packet says nothing of its length.
        const QByteArray first = expectedHeader(0, 0, 0);
        for (int i = 1; i < first.size(); ++i) {
            if (bytes[i] != first.at(i))
                return fail(i, QStringLiteral("the %1 of the first packet should be %2, found %3")
                                   .arg(QLatin1String(fieldAt(i)), hexByte(first.at(i)),
                                        hexByte(bytes[i])));
        }
        // Cut off within the first line: no frame is whole, whatever the blade.
        if (cutOffAllowed)
            return true;
        return fail(packetHeaderSize,
                    QStringLiteral("no packet of line 1 follows from which all packets "
                                   "check out: the length of the packets cannot be told "
                                   "(a truncated or damaged file)"));
    }
    return checkPackets(leds, true);
}

// Unchunked packets do not state their length: it is the distance from the first packet to
// a place where line 1's header stands. The first such place from where every packet checks
// out wins; in a damaged file, the first from where the first frame record does (or else the
// first place at all), so that the damage can be named.
int FanDataReader::unchunkedLedCount()
{
    const QByteArray needle = expectedHeader(0, 1, 0);
    const char* end = bytes + size;
    int plausible = 0;
    int first = 0;
    for (const char* from = bytes + 9;;) {
        const char* found =
            std::search(from, end, needle.constData(), needle.constData() + needle.size());
        if (found == end)
            return plausible != 0 ? plausible : first;
        from = found + 1;
        const qint64 at = found - bytes;
        if ((at - packetHeaderSize) % 3 != 0 || (at - packetHeaderSize) / 3 > 0x7fffffff / 3)
            continue;
        const int leds = int((at - packetHeaderSize) / 3);
        // A file that was cut off ends inside some record; the first length from which its
        // first record checks out is the one, or damage further on would pass for a cut.
        if (cutOffAllowed) {
            if (checkPackets(leds, false, bladeType(leds).linesPerFrame))
                return leds;
            continue;
        }
        if (checkPackets(leds, false))
            return leds;
        if (first == 0)
            first = leds;
        if (plausible == 0 && checkPackets(leds, false, bladeType(leds).linesPerFrame))
            plausible = leds;
    }
}

bool FanDataReader::checkPackets(int candidateLeds, bool reportErrors, qint64 packetLimit)
{
    const BladeType format = bladeType(candidateLeds);
    const int lines = format.linesPerFrame;
    const qint64 packetBytes = packetHeaderSize + format.chunkBytes;

    qint64 end = packetLimit < 0 ? size : std::min(size, packetLimit * packetBytes);
    qint64 at = 0;
    for (qint64 frame = 0; at < end; ++frame) {
        for (int line = 0; line < lines && at < end; ++line) {
            for (int chunk = 0; chunk < format.chunks && at < end; ++chunk, at += packetBytes) {
                // Named only for a message: formatting it for every packet would cost more
                // than the check.
                const auto where = [&] {
                    return format.chunks > 1
                               ? QStringLiteral("frame %1, line %2, chunk %3")
                                     .arg(frame)
                                     .arg(line)
                                     .arg(chunk)
                               : QStringLiteral("frame %1, line %2").arg(frame).arg(line);
                };
                if (at + packetBytes > size) {
                    if (cutOffAllowed) {
                        end = at; // the unfinished last record: the reading ends here
                        break;
                    }
                    if (!reportErrors)
                        return false;
                    return fail(at, QStringLiteral("the file ends inside the packet of %1 "
                                                   "(%2 bytes are left, a packet is %3): a "
                                                   "truncated frame record")
                                        .arg(where())
                                        .arg(size - at)
                                        .arg(packetBytes));
                }
                char header[packetHeaderSize];
                writePacketHeader(header, format, line, chunk);
                for (int i = 0; i < packetHeaderSize; ++i) {
                    if (bytes[at + i] == header[i])
                        continue;
                    if (!reportErrors)
                        return false;
                    QString message = QStringLiteral("the %1 of the packet of %2 should be %3, "
                                                     "found %4")
                                          .arg(QLatin1String(fieldAt(i)), where(),
                                               hexByte(header[i]), hexByte(bytes[at + i]));
                    if (i == 0)
                        message += QStringLiteral(" (a packet before it may have a wrong "
                                                  "length)");
                    return fail(at + i, message);
                }
            }
        }
    }

    if (packetLimit >= 0)
        return true;
    ledCount = candidateLeds;
    lineCount = lines;
    recordBytes = qint64(lines) * format.chunks * packetBytes;
    frames = size / recordBytes;
    return true;
}

QVector<QByteArray> FanDataReader::frameLines(qint64 frame) const
{
    QVector<QByteArray> lines;
    if (frame < 0 || frame >= frames)
        return lines;
    const BladeType format = bladeType(ledCount);
    const qint64 packetBytes = packetHeaderSize + format.chunkBytes;
    qint64 at = frame * recordBytes;
    lines.reserve(lineCount);
    for (int line = 0; line < lineCount; ++line) {
        QByteArray lineData;
        lineData.reserve(format.chunks * format.chunkBytes);
        for (int chunk = 0; chunk < format.chunks; ++chunk, at += packetBytes)
            lineData.append(bytes + at + packetHeaderSize, format.chunkBytes);
        lines.append(lineData);
    }
    return lines;
}
