// --play: a saved set rendered into a video of what the fans show.
#include "commands.h"
#include "diagnostics.h"
#include "exitstatus.h"
#include "fanvideo.h"
#include "installation.h"
#include "interrupts.h"
#include "messages.h"
#include "nativepath.h"
#include "options.h"
#include "progressreporter.h"
#include "setplayer.h"

#include "panel.h"

#include <QDebug>

#include <unistd.h>

int playFanData(const Options& options)
{
    Installation installation;
    int status = ExitSuccess;
    Panel* panel = installation.usablePanel(options.configPath, options.panel, &status);
    if (!panel)
        return status;
    SetPlayer player;
    if (!player.open(options.playName)) {
        complain(player.errorString());
        return ExitBadFanData;
    }
    const QString misfit = player.panelProblem(*panel);
    if (!misfit.isEmpty()) {
        complainAboutUsage(misfit);
        return ExitUsage;
    }
    if (!options.overwrite && NativePath::status(options.videoPath).exists) {
        complainAboutUsage(QStringLiteral("%1 exists; --overwrite (-y) replaces it")
                               .arg(native(options.videoPath)));
        return ExitUsage;
    }

    FanVideo video(*panel);
    if (!video.open(options.videoPath, options.videoSize, player.set().file(0), false)) {
        complain(video.errorString());
        return ExitOutputUnwritable;
    }
    qCDebug(convertLog).noquote() << "Encoding with" << video.encoderName();
    const InterruptScope interruptible;
    const double rate = FanVideo::rateOf(*panel);
    ProgressReporter progress(stderr, isatty(fileno(stderr)), rate,
                              qint64(player.frameCount() * 1000 / rate));
    for (qint64 frame = 0; frame < player.frameCount() && !interruptSignal(); ++frame) {
        if (!video.add(player.frameRecords(frame)))
            break;
        if (!options.quiet)
            progress.update(frame + 1, int(std::min<qint64>(frame, INT_MAX)));
    }
    if (!video.finish()) {
        progress.finish();
        complain(video.errorString());
        return ExitOutputUnwritable;
    }
    const QString frames = counted(video.framesWritten(), QStringLiteral("frame"));
    if (interruptSignal()) {
        progress.finish();
        complain(QStringLiteral("%1: %2 holds the %3 rendered before the stop")
                     .arg(interruption(interruptSignal()), native(options.videoPath), frames));
        return ExitInterrupted + interruptSignal();
    }
    if (!options.quiet)
        progress.conclude(
            QStringLiteral("Rendered %1 of %2 for \"%3\" into %4")
                .arg(frames, native(player.set().name()), panel->model, native(options.videoPath)));
    return ExitSuccess;
}
