#ifndef ROTAVIS_LINECOLOURKERNELS_H
#define ROTAVIS_LINECOLOURKERNELS_H

// The loops of LineColours, one set per instruction set. Each vector loop does what it can in
// whole vectors and returns how far it got; the scalar loops do the rest and are the whole
// of the scalar kernel.

#include "vectorkernel.h"

#include <QtGlobal>

#include <cstdint>

// The squaring curve of `leds` LEDs (3 bytes each) by the table of squares.
void curveLedsScalar(uchar* data, int leds, const uchar* square);
// dimmedByte for `count` bytes, each with its multiplier: (v x m + 2^23) >> 24.
void dimBytesScalar(uchar* bytes, const std::uint32_t* multipliers, int count);
// packBitPlanes of the first `inBytes` of `in`, the rest read as zeros.
void packBitPlanesScalar(uchar* out, const uchar* in, int channels, bool swapped, int inBytes);

#ifdef ROTAVIS_X86_KERNELS
// The curve of whole blocks of 16 LEDs; returns the LEDs done.
int curveLedsSse2(uchar* data, int leds);
// The curve of whole blocks of 32 LEDs; returns the LEDs done.
int curveLedsAvx2(uchar* data, int leds);
// dimBytesScalar for a count that is a multiple of 8.
void dimBytesAvx2(uchar* bytes, const std::uint32_t* multipliers, int count);

// The bit planes of a block of 16 channels x 48 bytes: rows[lane] is the channel whose bits
// go to bit `lane` of the words.
void packBitPlanesSse2(uchar* out, const uchar* const rows[16]);
void packBitPlanesAvx2(uchar* out, const uchar* const rows[16]);
void packBitPlanesGfni(uchar* out, const uchar* const rows[16]);
#endif

#endif
