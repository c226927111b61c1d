#include "fanviews.h"

#include "bitplanes.h"
#include "bladetypes.h"
#include "exitstatus.h"
#include "fan.h"
#include "fandatareader.h"
#include "fandataset.h"
#include "fanview.h"
#include "messages.h"
#include "nativepath.h"
#include "outputfiles.h"
#include "packets.h"
#include "panel.h"

#include <QBuffer>
#include <QDir>

QString fanViewFileName(const QString& dataFile)
{
    QString name = dataFile;
    if (FanDataSet::isFanDataFile(name))
        name.chop(FanDataSet::suffix().size());
    return name + QStringLiteral(".view.png");
}

qint64 convertedFrames(const QString& outputPath, const Panel& panel)
{
    if (panel.fans.isEmpty())
        return 0;
    const Fan* fan = panel.fans.first();
    const NativePath::Status file =
        NativePath::status(FanDataSet::fileName(outputPath, 0, panel.fans.size()));
    return file.size / frameRecordSize(fan->ledpcs);
}

QString saveFanView(const FanDataReader& reader, int frame, int ledpcs, qint64 linesBefore,
                    const QString& png, const QString& dataFile)
{
    const QImage view = renderFanView(reader.frameLines(frame), ledpcs, [&](int line) {
        return BitPlaneTurn::swappedAfter(linesBefore + line);
    });
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (view.isNull() || !buffer.open(QIODevice::WriteOnly) || !view.save(&buffer, "PNG"))
        return QStringLiteral("cannot make the picture %1").arg(QDir::toNativeSeparators(png));
    return OutputFiles::writeWhole(png, encoded, dataFile);
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
        const QString dataFile = FanDataSet::fileName(outputPath, i, panel.fans.size());
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
        const QString failure =
            saveFanView(reader, frame, fan->ledpcs, linesBefore, viewFile, dataFile);
        if (!failure.isEmpty()) {
            *error = failure;
            return ExitOutputUnwritable;
        }
        if (bitPlaneChannelsOf(fan->ledpcs) == 14)
            ++fourteenChannelFansBefore;
    }
    return ExitSuccess;
}
