#ifndef ROTAVIS_RATECONVERSION_H
#define ROTAVIS_RATECONVERSION_H

// Brings a stream's frame rate to a panel's rate by dropping or repeating pictures at a
// fixed step of the picture index.
class RateConversion
{
public:
    enum class Action
    {
        Deliver,
        Drop,
        Repeat
    };

    RateConversion(double sourceFps, double targetRate);

    // What happens to the decoded picture with this index.
    Action actionFor(int index) const;

    // Every step-th picture (after picture 0) is dropped or repeated; 0 when nothing is.
    int step() const { return stepLength; }

private:
    int stepLength = 0;
    bool repeat = false;
};

#endif
