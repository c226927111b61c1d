#ifndef ROTAVIS_LEDPROCESSING_H
#define ROTAVIS_LEDPROCESSING_H

#include <QtGlobal>

// Colour processing of one line of LED data: three bytes per LED (R, G, B), the first
// half-line from the hub outwards, then the second half-line from the hub outwards.

// Dimming factors of the innermost LEDs. The row is the line index modulo 4, the column the
// LED's distance from the hub. Used for 704- and 512-LED lines.
extern const float hubTable16[4][16];
// The same for 320- and 256-LED lines.
extern const float hubTable8[4][8];

// Every packed blade type (256, 224 and 192 LEDs) ends up as a block of this many bytes.
constexpr int packedLineSize = 768;

// How many bytes a buffer for a line of `size` bytes must hold: the packed types are packed
// in place and need the whole 768-byte block.
int lineBufferSize(int size);

// Rewrites the line in place: squaring curve on every LED, then hub dimming and bit-plane
// packing as the line's byte length decides. For lines of 768, 672 and 576 bytes `data` must
// hold lineBufferSize(size) = 768 bytes; bytes past `size` are never read, so LEDs that a
// short line lacks are packed as black.
void processLine(uchar* data, int lineIndex, int size);

// Packs 16 groups of `channels` LEDs (LED g + 16 c for group g and channel c, read from the
// 768 bytes at `in`) into 24 bit-plane words per group, 768 bytes at `out`, blue's most
// significant bit first. `swapped` exchanges the two halves of the channels within each word.
// `channels` is at most 16.
void packBitPlanes(uchar* out, const uchar* in, int channels, bool swapped);

// The inverse of packBitPlanes: the 768 bytes at `in` back into the colours of LED g + 16 c.
// LEDs of channels that do not exist come out black.
void unpackBitPlanes(uchar* out, const uchar* in, int channels, bool swapped);

// The bit-plane channels of a processed line of `size` bytes: 16 for 768 bytes (256 LEDs),
// 14 for 672 and 576 bytes (224 and 192 LEDs), 0 for lines that are not packed.
int bitPlaneChannels(int size);

// The swap turn of a 14-channel line after `packedLinesBefore` such lines since program start.
bool bitPlaneSwapAfter(qint64 packedLinesBefore);

// The 14-channel controllers expect the two halves of the blade exchanged in turns of 300
// lines. The turn is kept for the whole process, across fans, frames and output runs.
bool bitPlaneSwap();
int bitPlaneLineCount();
// Back to the state at program start (unswapped, count 0); no output run calls it.
void resetBitPlaneState();

#endif
