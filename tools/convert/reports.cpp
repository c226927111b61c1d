// The converter's reports: the panels of an installation, and the check and picture of a fan
// data file.
#include "commands.h"
#include "exitstatus.h"
#include "fan.h"
#include "fandatareader.h"
#include "fanviews.h"
#include "installation.h"
#include "mediainput.h"
#include "messages.h"
#include "nativepath.h"
#include "options.h"
#include "panel.h"

#include <QDir>

#include <cstdio>
#include <sys/stat.h>

int listPanels(const Options& options)
{
    Installation installation;
    QString error;
    if (!installation.load(options.configPath, &error)) {
        complain(error);
        return ExitNoSuchPanel;
    }
    const QList<Panel*>& panels = installation.panels();
    for (int i = 0; i < panels.size(); ++i) {
        const Panel* panel = panels.at(i);
        std::printf("%d  \"%s\"  %g x %g  %g Hz  %s\n", i, qPrintable(panel->model), panel->width,
                    panel->height, panel->hz,
                    qPrintable(counted(panel->fans.size(), QStringLiteral("fan"))));
        for (int f = 0; f < panel->fans.size(); ++f) {
            const Fan* fan = panel->fans.at(f);
            std::printf("     fan %d: %s, layer %d, centre (%g, %g), diameter %g\n", f,
                        qPrintable(counted(fan->ledpcs, QStringLiteral("LED"))), fan->z, fan->x,
                        fan->y, fan->diameter);
        }
    }
    return ExitSuccess;
}

int inspectFanData(const Options& options)
{
    const QString readOnce = MediaInput::readOnceProblem(options.inspectPath);
    if (!readOnce.isEmpty()) {
        complain(readOnce);
        return ExitMediaUnreadable;
    }
    // The picture is an output like any other: replaced only when asked, checked before the
    // file is read.
    struct stat inspected = {};
    struct stat picture = {};
    if (!options.pngPath.isEmpty() &&
        ::stat(NativePath::toBytes(options.pngPath).constData(), &picture) == 0 &&
        ::stat(NativePath::toBytes(options.inspectPath).constData(), &inspected) == 0 &&
        picture.st_dev == inspected.st_dev && picture.st_ino == inspected.st_ino) {
        complainAboutUsage(
            QStringLiteral("--png %1 is the file being inspected").arg(native(options.pngPath)));
        return ExitUsage;
    }
    if (!options.pngPath.isEmpty() && !options.overwrite &&
        NativePath::status(options.pngPath).exists) {
        complainAboutUsage(
            QStringLiteral("%1 exists; --overwrite (-y) replaces it").arg(native(options.pngPath)));
        return ExitUsage;
    }
    FanDataReader reader;
    if (!reader.open(options.inspectPath)) {
        complain(native(options.inspectPath) + ": " + reader.errorString());
        return reader.errorOffset() < 0 ? ExitFailure : ExitBadFanData;
    }
    std::printf("%s: %s, %d lines per frame, %s (%lld bytes a frame)\n",
                qPrintable(native(options.inspectPath)),
                qPrintable(counted(reader.ledpcs(), QStringLiteral("LED"))), reader.linesPerFrame(),
                qPrintable(counted(reader.frameCount(), QStringLiteral("frame"))),
                static_cast<long long>(reader.frameBytes()));
    if (options.pngPath.isEmpty())
        return ExitSuccess;

    if (options.inspectFrame >= reader.frameCount()) {
        complain(QStringLiteral("no frame %1: the file holds %2")
                     .arg(options.inspectFrame)
                     .arg(counted(reader.frameCount(), QStringLiteral("frame"))));
        return ExitUsage;
    }
    // The file does not record the bit-plane turn of 14-channel lines: assume it was the
    // only such fan of a run in a fresh program, whose turns start unswapped at its line 0.
    const qint64 linesBefore = qint64(options.inspectFrame) * reader.linesPerFrame();
    const QString failure = saveFanView(reader, options.inspectFrame, reader.ledpcs(), linesBefore,
                                        options.pngPath, options.inspectPath);
    if (!failure.isEmpty()) {
        complain(failure);
        return ExitOutputUnwritable;
    }
    return ExitSuccess;
}
