#ifndef ROTAVIS_RATECONVERSION_H
#define ROTAVIS_RATECONVERSION_H

#include "sourceoptions.h"

#include <QtGlobal>

// Brings a stream's frame rate to a panel's rate by dropping or repeating pictures.
//
// Close rates drop or repeat every step-th picture (after picture 0). Where that scheme
// breaks down, for sources more than about twice as fast as the panel (the step would drop
// everything after picture 0) or slower than half its rate (the step would come out as 0),
// each picture is delivered as often as the panel's clock ticks while it is on screen:
// picture i covers the source time [i / f, (i + 1) / f), and the panel shows a frame at
// every tick k / t in it. Exact timing applies that proportional rule at every rate, so that
// the frames last as long as the clip.
class RateConversion
{
public:
    RateConversion(double sourceFps, double targetRate, Timing timing = Timing::Stepped);

    // How many times the decoded picture with this index is delivered: 0 drops it, 1
    // delivers it once, n repeats it in n consecutive deliveries.
    int deliveries(qint64 index) const;

    // Every step-th picture (after picture 0) is dropped or repeated; 0 when the pictures
    // are delivered in proportion or all once.
    int step() const { return stepLength; }

    // Whether the pictures are delivered in proportion to the two rates.
    bool proportional() const { return inProportion; }

    // The deliveries of the first `pictures` pictures together: the frames they make.
    qint64 framesOf(qint64 pictures) const;

private:
    double sourceFps = 0;
    double targetRate = 0;
    int stepLength = 0;
    bool repeat = false;
    bool inProportion = false;
};

#endif
