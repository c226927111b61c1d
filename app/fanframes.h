#ifndef ROTAVIS_FANFRAMES_H
#define ROTAVIS_FANFRAMES_H

#include "bitplanes.h"
#include "fanframelines.h"

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

#include <memory>

class Panel;
class PanelConversion;
class QImage;

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
