#include "fanviews.h"

#include "bitplanes.h"
#include "bladetypes.h"
#include "exitstatus.h"
#include "fan.h"
#include "fandatareader.h"
#include "fanview.h"
#include "messages.h"
#include "nativepath.h"
#include "packets.h"
#include "panel.h"

#include <QDir>
#include <QFileInfo>

QString fanViewFileName(const QString& dataFile)
{
    QString name = dataFile;
    name.chop(4); // ".bin"
    return name + QStringLiteral(".view.png");
}

SwapTurnOrigin SwapTurnOrigin::now()
{
    const BitPlaneTurn& turn = BitPlaneTurn::outputRuns();
    return {turn.linesInTurn(), turn.swapped()};
}

qint64 convertedFrames(const QString& outputPath, const Panel& panel)
{
    if (panel.fans.isEmpty())
        return 0;
    const Fan* fan = panel.fans.first();
    const NativePath::Status file =
        NativePath::status(fanDataFileName(outputPath, 0, panel.fans.size()));
    return file.size / frameRecordSize(fan->ledpcs);
}

int writeFanViews(const QString& outputPath, const Panel& panel, int frame,
                  const SwapTurnOrigin& origin, QString* error)
{
    // Each frame record packs the 14-channel fans one after the other, in list order.
    int fourteenChannelFans = 0;
    for (const Fan* fan : panel.fans)
        fourteenChannelFans += bitPlaneChannelsOf(fan->ledpcs) == 14 ? 1 : 0;

    int fourteenChannelFansBefore = 0;
    for (int i = 0; i < panel.fans.size(); ++i) {
        const Fan* fan = panel.fans.at(i);
        const QString dataFile = fanDataFileName(outputPath, i, panel.fans.size());
        FanDataReader reader;
        if (!reader.open(dataFile)) {
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(dataFile),
                                                  reader.errorString());
            return ExitFailure;
        }
        if (frame >= reader.frameCount()) {
            *error = QStringLiteral("no frame %1 for a fan view: the run converted %2")
                         .arg(frame)
                         .arg(counted(reader.frameCount(), QStringLiteral("frame")));
            return ExitUsage;
        }
        const qint64 linesBefore =
            (qint64(frame) * fourteenChannelFans + fourteenChannelFansBefore) *
            reader.linesPerFrame();
        const SwapTurn swapped = [&](int line) {
            return origin.swapped !=
                   BitPlaneTurn::swappedAfter(origin.packedLines + linesBefore + line);
        };
        const QImage view = renderFanView(reader.frameLines(frame), fan->ledpcs, swapped);
        const QString viewFile = fanViewFileName(dataFile);
        QFile viewOutput;
        if (view.isNull() || !NativePath::open(viewOutput, viewFile, QIODevice::WriteOnly) ||
            !view.save(&viewOutput, "PNG")) {
            *error = QStringLiteral("cannot write the fan view %1")
                         .arg(QDir::toNativeSeparators(viewFile));
            return ExitOutputUnwritable;
        }
        if (bitPlaneChannelsOf(fan->ledpcs) == 14)
            ++fourteenChannelFansBefore;
    }
    return ExitSuccess;
}
