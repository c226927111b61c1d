#include "fandatareader.h"

#include "nativepath.h"
#include "packets.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    // Never waiting: a FIFO in a file's place would block the open until something writes.
    const int descriptor =
        ::open(NativePath::toBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        error = QStringLiteral("cannot open %1: %2")
                    .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        error = QStringLiteral("cannot read %1: it is not a regular file (a pipe or device)")
                    .arg(QDir::toNativeSeparators(path));
        return false;
    }
    file.reset(new QFile);
    if (!file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
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
    return readContents(contents, false);
}

bool FanDataReader::readCutOff(const QByteArray& contents)
{
    return readContents(contents, true);
}

bool FanDataReader::readContents(const QByteArray& contents, bool cutOff)
{
    reset();
    cutOffAllowed = cutOff;
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
            return checkPackets(blade.ledpcs);
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
        // Cut off within the first line, before any header of a later line: no frame is
        // whole, whatever the blade. A longer file without one is damaged, not cut off.
        if (cutOffAllowed && size < 2 * packetHeaderSize + 3 * qint64(maxBladeLeds))
            return true;
        return fail(packetHeaderSize,
                    QStringLiteral("no packet of a later line follows from which all packets "
                                   "check out: the length of the packets cannot be told "
                                   "(a truncated or damaged file)"));
    }
    return checkPackets(leds);
}

// Unchunked packets do not state their length. The header of line i of the first frame
// stands at i times the packet length, so every such header tells a length, and one damaged
// header still leaves the others to tell it. Headers say nothing but the line, so multiples
// of the true length line up with later frames' headers too, and LED bytes may look like a
// header by chance: the length at which most headers of the first frame stand wins, the
// shorter of two that tie. Every packet is then checked at that length, so that damage is
// named where it is.
int FanDataReader::unchunkedLedCount()
{
    // The first frame of the largest blade a conversion writes: no need to look farther.
    const qint64 scanEnd =
        std::min(size - packetHeaderSize,
                 qint64(unchunkedLineOffset - 1) * (packetHeaderSize + 3 * qint64(maxBladeLeds)));
    std::vector<int> tried;
    int best = 0;
    int bestHeaders = 0;
    for (qint64 at = packetHeaderSize + 1; at <= scanEnd; ++at) {
        const char* found = static_cast<const char*>(
            std::memchr(bytes + at, char(packetMarker), size_t(scanEnd - at + 1)));
        if (!found)
            break;
        at = found - bytes;
        const int leds = ledCountFromHeaderAt(at);
        if (leds == 0 || std::find(tried.begin(), tried.end(), leds) != tried.end())
            continue;
        tried.push_back(leds);
        const int headers = firstFrameHeadersAt(leds);
        if (headers > bestHeaders || (headers == bestHeaders && leds < best)) {
            best = leds;
            bestHeaders = headers;
        }
    }
    return best;
}

// How many of the headers of lines 1 to 399 that the file reaches stand where a blade of
// `leds` LEDs puts them.
int FanDataReader::firstFrameHeadersAt(int leds) const
{
    const RecordLayout layout(leds);
    int headers = 0;
    char header[packetHeaderSize];
    for (int line = 1; line < layout.lines(); ++line) {
        const qint64 at = layout.packetOffset(line, 0);
        if (at + packetHeaderSize > size)
            break;
        writePacketHeader(header, layout.blade(), line, 0);
        headers += std::memcmp(bytes + at, header, packetHeaderSize) == 0 ? 1 : 0;
    }
    return headers;
}

// The LED count that an unchunked header of the first frame at byte `at` implies; 0 when
// there is no such header there.
int FanDataReader::ledCountFromHeaderAt(qint64 at) const
{
    const auto word = [this](qint64 offset) {
        return int(uchar(bytes[offset])) | int(uchar(bytes[offset + 1])) << 8;
    };
    const int line = word(at + 1);
    if (line < 1 || line >= unchunkedLineOffset || word(at + 3) != line + unchunkedLineOffset ||
        std::memcmp(bytes + at + 5, "\0\0\0", 3) != 0 || at % line != 0)
        return 0;
    const qint64 payload = at / line - packetHeaderSize;
    if (payload < 3 || payload % 3 != 0 || payload / 3 > 0x7fffffff / 3)
        return 0;
    const int leds = int(payload / 3);
    return bladeType(leds).chunks == 1 ? leds : 0;
}

bool FanDataReader::checkPackets(int candidateLeds)
{
    const RecordLayout layout(candidateLeds);
    const BladeType& format = layout.blade();
    const int lines = layout.lines();
    const qint64 packetBytes = layout.packetBytes();

    qint64 end = size;
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

    const qint64 record = layout.recordBytes();
    const qint64 checked = std::min(end, size);
    if (!cutOffAllowed && checked % record != 0) {
        return fail(checked, QStringLiteral("the file ends inside frame %1 after %2 of its "
                                            "packets (a frame has %3): a truncated frame record")
                                 .arg(checked / record)
                                 .arg(checked % record / packetBytes)
                                 .arg(record / packetBytes));
    }
    ledCount = candidateLeds;
    lineCount = lines;
    recordBytes = record;
    frames = checked / record;
    return true;
}

QVector<QByteArray> FanDataReader::frameLines(qint64 frame) const
{
    if (frame < 0 || frame >= frames)
        return {};
    return RecordLayout(ledCount).lines(bytes + frame * recordBytes);
}

QByteArray FanDataReader::frameRecord(qint64 frame) const
{
    if (frame < 0 || frame >= frames)
        return {};
    return QByteArray(bytes + frame * recordBytes, int(recordBytes));
}
