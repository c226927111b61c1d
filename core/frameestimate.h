#ifndef ROTAVIS_FRAMEESTIMATE_H
#define ROTAVIS_FRAMEESTIMATE_H

#include "sourceoptions.h"

#include <QtGlobal>

// How many frames a conversion of a clip gives at the panel's rate `hz`, from what the start
// of the clip tells (its stream rate and duration), with the range and timing of `options`
// applied as the frame source applies them; -1 when rate and duration do not tell.
qint64 expectedFrames(double fps, qint64 durationMs, double hz, const SourceOptions& options);

// How many of a clip's pictures lie in `range`, the pictures being 1 / fps apart from 0 and
// `pictures` in all.
qint64 picturesInRange(double fps, qint64 pictures, const ClipRange& range);

#endif
