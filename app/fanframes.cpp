#include "fanframes.h"

#include "fan.h"
#include "packets.h"
#include "panel.h"
#include "panelconversion.h"
#include "panellimits.h"

#include <QImage>

FanFrameConverter::FanFrameConverter() = default;

FanFrameConverter::~FanFrameConverter() = default;

QVector<FanFrameLines> FanFrameConverter::convert(const QImage& frame, const Panel& panel)
{
    if (convertedFor != &panel) {
        // A panel no conversion can work with gets no conversion.
        conversion = PanelLimits::problem(panel).isEmpty()
                         ? std::make_unique<PanelConversion>(panel)
                         : nullptr;
        convertedFor = &panel;
    }
    if (!conversion)
        return {};
    conversion->convert(frame, turn);

    QVector<FanFrameLines> fans;
    fans.reserve(panel.fans.size());
    for (int f = 0; f < panel.fans.size(); ++f) {
        const RecordLayout layout(panel.fans.at(f)->ledpcs);
        FanFrameLines out;
        out.lines = layout.lines(conversion->frameRecord(f).constData());
        const bool takesTurns = conversion->takesSwapTurns(f);
        BitPlaneTurn lineTurn = conversion->firstTurn(f);
        out.swapped.reserve(layout.lines());
        for (int k = 0; k < layout.lines(); ++k)
            out.swapped.append(takesTurns && lineTurn.next());
        fans.append(out);
    }
    return fans;
}
