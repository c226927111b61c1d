#ifndef ROTAVIS_SOURCEOPTIONS_H
#define ROTAVIS_SOURCEOPTIONS_H

#include <QtGlobal>

#include <limits>

// How a clip's pictures are brought to a panel's rate (see RateConversion).
enum class Timing
{
    Stepped, // every step-th picture dropped or repeated: the sets made so far
    Exact,   // each picture as often as the panel's clock ticks while it is on: the clip's length
};

// The part of a clip a run reads: the pictures whose presentation time, counted from the
// clip's first picture, is at least the start and less than the end (in microseconds).
struct ClipRange
{
    static constexpr qint64 noEnd = std::numeric_limits<qint64>::max();

    qint64 startUs = 0;
    qint64 endUs = noEnd;

    bool isWhole() const { return startUs <= 0 && endUs == noEnd; }
    bool operator==(const ClipRange& other) const
    {
        return startUs == other.startUs && endUs == other.endUs;
    }
};

// What the frame source is asked to do with a clip besides decoding it.
struct SourceOptions
{
    bool autorotate = true; // turn the pictures as the stream's display matrix says
    Timing timing = Timing::Stepped;
    ClipRange range;
};

#endif
