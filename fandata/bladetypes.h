#ifndef ROTAVIS_BLADETYPES_H
#define ROTAVIS_BLADETYPES_H

// The blade types with a data layout of their own, and the rules every other LED count
// follows. The writer, the LED colour processing, the reader and the fan view all take their
// rules from here.

// The innermost LEDs of some blades are dimmed: which table of factors, and how far out.
enum class HubDimming
{
    None,
    Wide,   // 16-column table, then 0.0053 i + 0.32 up to LED 127
    Narrow, // 8-column table, then 0.0065 i + 0.59 up to LED 63
};

// How many of the innermost LEDs the hub dimming reaches.
constexpr int hubDimmedLeds(HubDimming hub)
{
    return hub == HubDimming::Wide ? 128 : hub == HubDimming::Narrow ? 64 : 0;
}

struct BladeType
{
    int ledpcs;                 // LEDs on the blade
    int linesPerFrame;          // blade positions in a frame record
    int chunks;                 // packets per line
    int chunkBytes;             // LED bytes per packet
    unsigned char typeBytes[3]; // for chunked blades the first two are chunkBytes, LE16
    HubDimming hub;
    int bitPlaneChannels; // 16 or 14 when the line is packed into bit planes, else 0
};

// Every packet starts with the marker, the line index and the chunk's byte offset (or the
// line index + 400) as LE16, and the three type bytes.
constexpr int packetHeaderSize = 8;
constexpr unsigned char packetMarker = 0x82;
// Unchunked packets carry the line index plus this where chunked ones carry the byte offset.
constexpr int unchunkedLineOffset = 400;
// The most LEDs a blade may have (the largest blade type has 1088): conversions refuse more,
// and readers look no farther for the packets of the first frame.
constexpr int maxBladeLeds = 4096;
// Every packed line ends up as a block of 16 groups x 16 channels x 3 bytes.
constexpr int packedLineSize = 768;

// The blade types with their own layout, largest first.
extern const BladeType bladeTypes[7];

// The layout of the data of a blade with `ledpcs` LEDs: one of the table's, or for any other
// count 400 lines of one packet with 3 x ledpcs bytes, type bytes 0, no dimming, no packing.
BladeType bladeType(int ledpcs);

// The colour processing of a line is chosen by its byte length alone: a line of 2112 bytes is
// dimmed like a 704-LED line, whether its blade has 704 or 703 LEDs. Null for lengths that get
// the squaring curve only (1088 LEDs and every count without a table entry).
const BladeType* bladeTypeForLine(int lineBytes);

// The bit-plane channels (16 or 14) that the lines of a blade of `ledpcs` LEDs are packed in,
// by their length as the colour processing chooses; 0 where they are not packed.
int bitPlaneChannelsOf(int ledpcs);

// LEDs per half-line: ceil(ledpcs / 2), none for ledpcs <= 0 (the hub is sampled twice).
int halfLineLength(int ledpcs);

// Bytes a line buffer must hold for a line of `lineBytes` bytes: packed lines fill 768.
int lineBufferSize(int lineBytes);

#endif
