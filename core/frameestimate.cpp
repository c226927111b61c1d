#include "frameestimate.h"

#include "rateconversion.h"

#include <cmath>

namespace {

// The first picture at or after `us`, pictures being 1 / fps apart from 0.
double firstPictureFrom(qint64 us, double fps)
{
    return std::ceil(double(us) * fps / 1e6);
}

} // namespace

qint64 picturesInRange(double fps, qint64 pictures, const ClipRange& range)
{
    const double first = range.startUs > 0 ? firstPictureFrom(range.startUs, fps) : 0.0;
    const double end = range.endUs == ClipRange::noEnd
                           ? double(pictures)
                           : std::min(double(pictures), firstPictureFrom(range.endUs, fps));
    return end > first ? qint64(end - first) : 0;
}

qint64 expectedFrames(double fps, qint64 durationMs, double hz, const SourceOptions& options)
{
    if (!(std::isfinite(fps) && fps > 0 && durationMs > 0))
        return -1;
    // Containers give their duration to the millisecond, so the picture count is rounded.
    const double pictures = std::round(double(durationMs) * fps / 1000);
    if (!(pictures < 1e12))
        return -1;
    const RateConversion rate(fps, hz, options.timing);
    return rate.framesOf(picturesInRange(fps, qint64(pictures), options.range));
}
