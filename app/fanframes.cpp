#include "fanframes.h"

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
    for (int f = 0; f < panel.fans.size(); ++f)
        fans.append(conversion->viewRecord(f).lines());
    return fans;
}
