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
    const size_t perPacket = blade.chunkBytes > 0 ? 2 : 1;
    size_t at = 0;
    for (int i = 0; i < blade.linesPerFrame; ++i) {
        QByteArray line;
        line.reserve(blade.chunks * blade.chunkBytes);
        for (int chunk = 0; chunk < blade.chunks && at < pieces.size(); ++chunk, at += perPacket) {
            if (perPacket == 2)
                line.append(pieces[at + 1].bytes, pieces[at + 1].size);
        }
        lines.append(line);
    }
    return lines;
}

bool packedInFourteenChannels(int ledpcs)
{
    const BladeType* blade = bladeTypeForLine(6 * halfLineLength(ledpcs));
    return blade && blade->bitPlaneChannels == 14;
}

} // namespace

FanFrameConverter::FanFrameConverter() = default;

FanFrameConverter::~FanFrameConverter() = default;

QVector<FanFrameLines> FanFrameConverter::convert(const QImage& frame, const Panel& panel)
{
    if (!PanelLimits::problem(panel).isEmpty())
        return {};
    if (!conversion || convertedFor != &panel) {
        conversion = std::make_unique<PanelConversion>(panel);
        convertedFor = &panel;
    }
    // The 14-channel fans take their lines' turns one fan after the other, in list order.
    BitPlaneTurn lineTurn = turn;
    conversion->convert(frame, turn);

    QVector<FanFrameLines> fans;
    fans.reserve(panel.fans.size());
    for (int f = 0; f < panel.fans.size(); ++f) {
        const Fan* fan = panel.fans.at(f);
        const BladeType blade = bladeType(fan->ledpcs);
        FanFrameLines out;
        out.lines = recordLines(conversion->recordPieces(f), blade);
        const bool fourteen = packedInFourteenChannels(fan->ledpcs);
        out.swapped.reserve(blade.linesPerFrame);
        for (int k = 0; k < blade.linesPerFrame; ++k)
            out.swapped.append(fourteen && lineTurn.next());
        fans.append(out);
    }
    return fans;
}
