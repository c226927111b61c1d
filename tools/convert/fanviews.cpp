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

QString fanViewFileName(const QString& dataFile)
{
    QString name = dataFile;
    name.chop(4); // ".bin"
    return name + QStringLiteral(".view.png");
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

bool saveFanView(const FanDataReader& reader, int frame, int ledpcs, qint64 linesBefore,
                 const QString& png)
{
    const QImage view = renderFanView(reader.frameLines(frame), ledpcs, [&](int line) {
        return BitPlaneTurn::swappedAfter(linesBefore + line);
    });
    QFile output;
    return !view.isNull() && NativePath::open(output, png, QIODevice::WriteOnly) &&
           view.save(&output, "PNG");
}

int writeFanViews(const QString& outputPath, const Panel& panel, int frame, QString* error)
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
        const QString viewFile = fanViewFileName(dataFile);
        if (!saveFanView(reader, frame, fan->ledpcs, linesBefore, viewFile)) {
            *error = QStringLiteral("cannot write the fan view %1")
                         .arg(QDir::toNativeSeparators(viewFile));
            return ExitOutputUnwritable;
        }
        if (bitPlaneChannelsOf(fan->ledpcs) == 14)
            ++fourteenChannelFansBefore;
    }
    return ExitSuccess;
}
