#ifndef ROTAVIS_FANFRAMES_H
#define ROTAVIS_FANFRAMES_H

#include "sampling.h"

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

class Panel;

// One fan's share of a converted frame: the line data of each blade position exactly as the
// fan data file carries it (3 x ledpcs bytes a line, after the LED colour processing), and,
// for the 14-channel blades (224 and 192 LEDs), which lines were packed with the two halves
// of the blade swapped.
struct FanFrameLines
{
    QVector<QByteArray> lines;
    QVector<bool> swapped; // one per line; all false for other blades
};

// The conversion of single frames for a look at what the fans will show: the same path as
// the output run (layer images of the panel's selection, front-fan blending, sampling, LED
// colour processing), in memory, with no file.
//
// The bit-plane swap turn of the 14-channel blades is this object's own: it starts
// unswapped and advances over the lines it converts, leaving the process-wide turn of the
// output runs alone. The colours it stands for are the same either way.
class FanFrameConverter
{
public:
    // Converts `frame` for `panel` (its selection, fans and blending): one entry per fan, in
    // the panel's list order.
    QVector<FanFrameLines> convert(const QImage& frame, const Panel& panel);

private:
    QByteArray fourteenChannelLine(const Line& line, int lineIndex, bool swapped);

    qint64 packedLines = 0; // 14-channel lines converted so far
};

#endif
