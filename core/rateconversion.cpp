#include "rateconversion.h"

#include <climits>
#include <cmath>

namespace {

bool finitePositive(double rate)
{
    return std::isfinite(rate) && rate > 0;
}

// Ticks of the panel's clock before source time i / f: ceil(i x t / f), taken in double in
// exactly this order (multiply, then divide) so that every build counts alike.
double ticksBefore(qint64 index, double sourceFps, double targetRate)
{
    return std::ceil(double(index) * targetRate / sourceFps);
}

} // namespace

RateConversion::RateConversion(double sourceFps, double targetRate, Timing timing)
    : sourceFps(sourceFps), targetRate(targetRate)
{
    // A stream without a usable rate (0/0, 0/n) or a panel rate that is no positive number:
    // nothing can be said about the ratio, so every picture is delivered once.
    if (!(finitePositive(sourceFps) && finitePositive(targetRate)))
        return;
    if (timing == Timing::Exact) {
        inProportion = true;
        return;
    }

    // The whole-number difference of the rates, kept in double so that absurd stream rates
    // cannot overflow it; for real rates this is exact integer arithmetic.
    double difference = std::trunc(sourceFps - targetRate);
    repeat = difference < 0;
    difference = std::fabs(difference);
    if (difference == 0)
        return;

    const double step = std::trunc(sourceFps / difference);
    stepLength = step >= double(INT_MAX) ? INT_MAX : int(step);

    // Dropping at step 1 would keep picture 0 only, and step 0 would change nothing at all:
    // there the pictures are delivered in proportion instead.
    if (stepLength == 0 || (stepLength == 1 && !repeat)) {
        inProportion = true;
        stepLength = 0;
    }
}

int RateConversion::deliveries(qint64 index) const
{
    if (inProportion) {
        const double count = ticksBefore(index + 1, sourceFps, targetRate) -
                             ticksBefore(index, sourceFps, targetRate);
        // Rates that are finite but absurd apart could ask for more than a run can make.
        return count >= double(INT_MAX) ? INT_MAX : int(count);
    }
    if (stepLength == 0 || index == 0 || index % stepLength != 0)
        return 1;
    return repeat ? 2 : 0;
}

qint64 RateConversion::framesOf(qint64 pictures) const
{
    if (inProportion) // the ticks before the end of the last picture
        return pictures > 0 ? qint64(ticksBefore(pictures, sourceFps, targetRate)) : 0;
    if (pictures <= 0 || stepLength == 0)
        return qMax<qint64>(pictures, 0);
    // Pictures step, 2 step, ... before the last are dropped or repeated.
    const qint64 stepped = (pictures - 1) / stepLength;
    return repeat ? pictures + stepped : pictures - stepped;
}
