#ifndef ROTAVIS_SAMPLEGATHERKERNELS_H
#define ROTAVIS_SAMPLEGATHERKERNELS_H

// The loops of the sample gathering (samplegather.h), one set per instruction set. The cursor
// points at the first sample of the loop; the caller moves it on.

#include "samplegather.h"

// `blocks` whole blocks of gatherLanes samples of group `group`, lane by lane.
void gatherBlocksScalar(int group, int blocks, const GatherCursor& cursor, const uchar* frame,
                        uchar* out);
// `samples` samples of group `group` kept one by one (after a group's last whole block).
void gatherSamplesScalar(int group, int samples, const GatherCursor& cursor, const uchar* frame,
                         uchar* out);
// A run of samples read in rows (see gatherRowGroup).
void gatherRowsScalar(int samples, const GatherCursor& cursor, const uchar* frame,
                      std::int32_t second, std::int32_t third, uchar* out);

#ifdef ROTAVIS_X86_KERNELS
void gatherBlocksAvx2(int group, int blocks, const GatherCursor& cursor, const uchar* frame,
                      uchar* out);
void gatherRowsAvx2(int samples, const GatherCursor& cursor, const uchar* frame,
                    std::int32_t second, std::int32_t third, uchar* out);
#endif

#endif
