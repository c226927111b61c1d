#ifndef ROTAVIS_LEDPROCESSING_H
#define ROTAVIS_LEDPROCESSING_H

#include <QtGlobal>

class BitPlaneTurn;

// Colour processing of one line of LED data: three bytes per LED (R, G, B), the first
// half-line from the hub outwards, then the second half-line from the hub outwards. This is
// the straightforward version; the conversion uses LineColours, which the tests hold to it.

// Dimming factors of the innermost LEDs. The row is the line index modulo 4, the column the
// LED's distance from the hub. Used for 704- and 512-LED lines.
extern const float hubTable16[4][16];
// The same for 320- and 256-LED lines.
extern const float hubTable8[4][8];

// The dimming factor of LED `i` (distance from the hub) on a line with index `lineIndex`:
// the table, then the mid-range rule, then 1 beyond it.
float hubFactor(bool wide, int lineIndex, int i);

// A byte of an LED dimmed by `factor` (below 1): the product in double from the
// single-precision factor, rounded half up.
inline uchar dimmedByte(uchar value, float factor)
{
    // A float product would round differently for some bytes.
    return uchar(int(value * double(factor) + 0.5));
}

// Rewrites the line in place: squaring curve on every LED, then hub dimming and bit-plane
// packing as the line's byte length decides (bladeTypeForLine). For packed lines `data` must
// hold lineBufferSize(size) = 768 bytes; bytes past `size` are never read, so LEDs that a
// short line lacks are packed as black. Lines packed in 14 channels take their swap from
// `turn` and move it on.
void processLine(uchar* data, int lineIndex, int size, BitPlaneTurn& turn);

#endif
