#ifndef ROTAVIS_PACKETS_H
#define ROTAVIS_PACKETS_H

#include "bladetypes.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <vector>

// The fan data file: no header, one frame record per converted frame. A frame record is one
// line record per blade position; a line record is one packet, or four chunk packets for the
// 1088-, 704- and 512-LED blades. A packet is the marker 0x82, the line index (LE16), the
// chunk's byte offset in the line or, unchunked, the line index + 400 (LE16), three bytes
// naming the blade type, and the LED bytes.

// Where the packets of a frame record lie for a blade of `ledpcs` LEDs: line after line,
// chunk after chunk, each packet a header and then the chunk's LED bytes. Writers, readers
// and views of records all take the layout from here.
class RecordLayout
{
public:
    explicit RecordLayout(int ledpcs) : m_blade(bladeType(ledpcs)) {}

    const BladeType& blade() const { return m_blade; }
    int lines() const { return m_blade.linesPerFrame; }
    int chunks() const { return m_blade.chunks; }
    int chunkBytes() const { return m_blade.chunkBytes; }
    int packetBytes() const { return packetHeaderSize + m_blade.chunkBytes; }
    int packets() const { return lines() * chunks(); }
    qint64 recordBytes() const { return qint64(packets()) * packetBytes(); }
    // Where packet `chunk` of line `line` starts in the record.
    qint64 packetOffset(int line, int chunk) const
    {
        return (qint64(line) * chunks() + chunk) * packetBytes();
    }

    // The header of every packet of a record, in order.
    std::vector<char> headers() const;
    // The LED bytes of each line of the record at `record`, its chunks joined.
    QVector<QByteArray> lines(const char* record) const;

private:
    BladeType m_blade;
};

// Bytes of one frame record of a fan with `ledpcs` LEDs.
inline qint64 frameRecordSize(int ledpcs)
{
    return RecordLayout(ledpcs).recordBytes();
}

// Writes the 8-byte header of packet `chunk` of line `lineIndex`.
void writePacketHeader(char* out, const BladeType& blade, int lineIndex, int chunk);

// Appends the packets of line `lineIndex`; `lineData` is the processed line. The packets
// carry its first 3 x ledpcs bytes.
void appendLineRecord(QByteArray& record, const QByteArray& lineData, int lineIndex, int ledpcs);

#endif
