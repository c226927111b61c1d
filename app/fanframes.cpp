#include "fanframes.h"

#include "bladetypes.h"
#include "fan.h"
#include "panel.h"
#include "panelconversion.h"
#include "panellimits.h"

#include <QImage>

namespace {

// A record is, line by line and chunk by chunk, a packet header and the chunk's LED bytes.
QVector<QByteArray> recordLines(const std::vector<PanelConversion::Piece>& pieces,
                                const BladeType& blade)
{
    QVector<QByteArray> lines;
    lines.reserve(blade.linesPerFrame);
    size_t at = 0;
    for (int i = 0; i < blade.linesPerFrame; ++i) {
        QByteArray line;
        line.reserve(blade.chunks * blade.chunkBytes);
        for (int chunk = 0; chunk < blade.chunks; ++chunk, at += 2)
            line.append(pieces[at + 1].bytes, pieces[at + 1].size);
        lines.append(line);
    }
    return lines;
}

} // namespace

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
        const BladeType blade = bladeType(panel.fans.at(f)->ledpcs);
        FanFrameLines out;
        out.lines = recordLines(conversion->recordPieces(f), blade);
        const bool takesTurns = conversion->takesSwapTurns(f);
        BitPlaneTurn lineTurn = conversion->firstTurn(f);
        out.swapped.reserve(blade.linesPerFrame);
        for (int k = 0; k < blade.linesPerFrame; ++k)
            out.swapped.append(takesTurns && lineTurn.next());
        fans.append(out);
    }
    return fans;
}
