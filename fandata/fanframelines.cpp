#include "fanframelines.h"

#include "packets.h"

FanFrameLines FanFrameRecord::lines() const
{
    const RecordLayout layout(ledpcs);
    FanFrameLines result;
    if (record.size() < layout.recordBytes())
        return result;
    result.lines = layout.lines(record.constData());
    BitPlaneTurn turn = firstTurn;
    result.swapped.reserve(layout.lines());
    for (int k = 0; k < layout.lines(); ++k)
        result.swapped.append(takesTurns && turn.next());
    return result;
}

QVector<FanFrameLines> linesOf(const QVector<FanFrameRecord>& records)
{
    QVector<FanFrameLines> lines;
    lines.reserve(records.size());
    for (const FanFrameRecord& record : records)
        lines.append(record.lines());
    return lines;
}
