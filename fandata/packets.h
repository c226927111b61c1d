#ifndef ROTAVIS_PACKETS_H
#define ROTAVIS_PACKETS_H

#include "bladetypes.h"

#include <QByteArray>
#include <QString>

// The fan data file: no header, one frame record per converted frame. A frame record is one
// line record per blade position; a line record is one packet, or four chunk packets for the
// 1088-, 704- and 512-LED blades. A packet is the marker 0x82, the line index (LE16), the
// chunk's byte offset in the line or, unchunked, the line index + 400 (LE16), three bytes
// naming the blade type, and the LED bytes.

// Bytes of one frame record of a fan with `ledpcs` LEDs.
qint64 frameRecordSize(int ledpcs);

// Writes the 8-byte header of packet `chunk` of line `lineIndex`.
void writePacketHeader(char* out, const BladeType& blade, int lineIndex, int chunk);

// Appends the packets of line `lineIndex`; `lineData` is the processed line. The packets
// carry its first 3 x ledpcs bytes.
void appendLineRecord(QByteArray& record, const QByteArray& lineData, int lineIndex, int ledpcs);

#endif
