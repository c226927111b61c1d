#include "rateconversion.h"

#include <algorithm>
#include <climits>
#include <cmath>

RateConversion::RateConversion(double sourceFps, double targetRate)
{
    // A stream without a usable rate (0/0, 0/n) or a target that is no number: nothing can
    // be said about the ratio, so every picture is delivered once.
    if (!(std::isfinite(sourceFps) && sourceFps > 0 && std::isfinite(targetRate)))
        return;

    // The whole-number difference of the rates, kept in double so that absurd stream rates
    // cannot overflow it; for real rates this is exact integer arithmetic.
    double difference = std::trunc(sourceFps - targetRate);
    repeat = difference < 0;
    difference = std::fabs(difference);
    if (difference == 0)
        return;

    // A source slower than half the target rate gives a step below 1; repeating every
    // picture is the closest this scheme gets to the target rate.
    const double step = std::trunc(sourceFps / difference);
    stepLength = step >= double(INT_MAX) ? INT_MAX : std::max(1, int(step));
}

RateConversion::Action RateConversion::actionFor(int index) const
{
    if (stepLength == 0 || index == 0 || index % stepLength != 0)
        return Action::Deliver;
    return repeat ? Action::Repeat : Action::Drop;
}
