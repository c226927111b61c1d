#ifndef ROTAVIS_FANFRAMES_H
#define ROTAVIS_FANFRAMES_H

#include "bitplanes.h"

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

#include <memory>

class Panel;
class PanelConversion;
class QImage;

// One fan's share of a converted frame: the line data of each blade position exactly as the
// fan data file carries it (3 x ledpcs bytes a line, after the LED colour processing), and,
// for the 14-channel blades (224 and 192 LEDs), which lines were packed with the two halves
// of the blade swapped.
struct FanFrameLines
{
    QVector<QByteArray> lines;
    QVector<bool> swapped; // one per line; all false for other blades
};

// The conversion of single frames for a look at what the fans will show: the very conversion
// of the output run, in memory, with no file.
//
// The bit-plane swap turn of the 14-channel blades is this object's own: it starts
// unswapped and advances over the lines it converts, leaving the turn of the output runs
// alone. The colours it stands for are the same either way.
class FanFrameConverter
{
public:
    FanFrameConverter();
    ~FanFrameConverter();
    FanFrameConverter(const FanFrameConverter&) = delete;
    FanFrameConverter& operator=(const FanFrameConverter&) = delete;

    // Converts `frame` for `panel` (its selection, fans and blending): one entry per fan, in
    // the panel's list order; nothing for a panel that no conversion can work with. What
    // depends on the panel alone is worked out once and kept while the same panel object
    // comes again: the panel must not change while this converts for it.
    QVector<FanFrameLines> convert(const QImage& frame, const Panel& panel);

private:
    const Panel* convertedFor = nullptr;
    std::unique_ptr<PanelConversion> conversion;
    BitPlaneTurn turn;
};

#endif
