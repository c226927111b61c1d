#ifndef ROTAVIS_FANDATAFILE_H
#define ROTAVIS_FANDATAFILE_H

#include <QByteArray>
#include <QString>

class Fan;
class QImage;

// The fan data file: no header, one frame record per converted frame. A frame record is one
// line record per blade position; a line record is one packet, or four chunk packets for the
// 1088-, 704- and 512-LED blades. A packet is the marker 0x82, the line index (LE16), the
// chunk's byte offset in the line or, unchunked, the line index + 400 (LE16), three bytes
// naming the blade type, and the LED bytes.

constexpr char packetMarker = char(0x82);
// Unchunked packets carry the line index plus this where chunked ones carry the byte offset.
constexpr int unchunkedLineOffset = 400;

struct PacketFormat
{
    int chunks;     // packets per line
    int chunkBytes; // LED bytes per packet
    char type[3];   // blade type bytes; for chunked blades the first two are chunkBytes, LE16
};

// How the lines of a blade with `ledpcs` LEDs are cut into packets.
PacketFormat packetFormat(int ledpcs);

// The name of fan `fanIndex`'s file: `outputPath` + ".bin" when the panel has one fan,
// otherwise `outputPath` + "__" + index + ".bin".
QString fanDataFileName(const QString& outputPath, int fanIndex, int fanCount);

// Blade positions per frame: 399 for 1088-LED blades, 400 for every other count.
int fanLineCount(int ledpcs);

// Bytes of one frame record of a fan with `ledpcs` LEDs.
qint64 frameRecordSize(int ledpcs);

// Appends the packets of line `lineIndex`; `lineData` is the processed line (assembleLine).
// The packets carry its first 3 x ledpcs bytes.
void appendLineRecord(QByteArray& record, const QByteArray& lineData, int lineIndex, int ledpcs);

// Samples `fan` on `layerImage` (an RGB888 layer image) and returns its whole frame record.
QByteArray fanFrameRecord(const QImage& layerImage, const Fan& fan);

#endif
