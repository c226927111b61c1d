#include "commands.h"
#include "defaultselection.h"
#include "exitstatus.h"
#include "fanviews.h"
#include "installation.h"
#include "messages.h"
#include "options.h"
#include "progressreporter.h"

#include "core.h"
#include "fan.h"
#include "packets.h"
#include "panel.h"

#include <QDir>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

// The worker of the run in progress, for the Ctrl-C handler.
Core* runningCore = nullptr;
volatile std::sig_atomic_t interrupted = 0;

void stopOnInterrupt(int)
{
    interrupted = 1;
    if (runningCore)
        runningCore->stopRequested.store(true); // lock-free: safe in a signal handler
}

// Ctrl-C ends the run the way the window's stop does, for as long as this lives.
class InterruptScope
{
public:
    explicit InterruptScope(Core* core)
    {
        runningCore = core;
        interrupted = 0;
        struct sigaction action = {};
        action.sa_handler = stopOnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous);
    }
    ~InterruptScope()
    {
        sigaction(SIGINT, &previous, nullptr);
        runningCore = nullptr;
    }

private:
    struct sigaction previous = {};
};

// The frame source writes its rate to standard output; the converter keeps standard output
// for what it is asked to print.
class QuietStandardOutput
{
public:
    explicit QuietStandardOutput(bool quiet) : previous(quiet ? std::cout.rdbuf(nullptr) : nullptr)
    {
    }
    ~QuietStandardOutput()
    {
        if (previous)
            std::cout.rdbuf(previous);
    }

private:
    std::streambuf* previous;
};

} // namespace

int runConversion(const Options& options)
{
    Installation installation;
    QString error;
    if (!installation.load(options.configPath, &error)) {
        complain(error);
        return ExitNoSuchPanel;
    }
    Panel* panel = installation.find(options.panel);
    if (!panel) {
        complain(QStringLiteral("%1 has no panel '%2' (see --list-panels)")
                     .arg(native(options.configPath), options.panel));
        return ExitNoSuchPanel;
    }

    Core core;
    core.setFileName(options.input);
    VideoInfo info;
    {
        const QuietStandardOutput quiet(!options.verbose);
        info = core.readFirstFrame();
    }
    if (info.firstFrame.isNull()) {
        complain(QStringLiteral("%1 gives no picture (not a video or picture file, or not "
                                "readable)")
                     .arg(native(options.input)));
        return ExitMediaUnreadable;
    }
    panel->selection =
        options.hasSelection ? options.selection : defaultSelection(info.firstFrame.size(), *panel);

    const bool live = isatty(fileno(stderr));
    ProgressReporter progress(stderr, live, info.fps, info.durationMs);
    int framesDone = 0;
    QString failure;
    QObject::connect(&core, &Core::outputProgress, &core, [&](int frameIndex, const QImage&) {
        framesDone += outputProgressInterval;
        if (!options.quiet)
            progress.update(framesDone, frameIndex);
    });
    QObject::connect(&core, &Core::outputFailed, &core,
                     [&](const QString& message) { failure = message; });

    const SwapTurnOrigin swapOrigin = SwapTurnOrigin::now();
    {
        const InterruptScope interruptible(&core);
        const QuietStandardOutput quiet(!options.verbose);
        core.beginOutput(options.outputPath, panel);
    }
    progress.finish();

    if (!failure.isEmpty()) {
        complain(failure);
        return ExitOutputUnwritable;
    }
    const qint64 frames = convertedFrames(options.outputPath, *panel);
    if (interrupted) {
        complain(QStringLiteral("interrupted: the files hold the %1 whole frames converted "
                                "before the stop")
                     .arg(frames));
        return ExitInterrupted;
    }
    if (!options.quiet)
        std::fprintf(stderr, "Converted %lld frames for %d fans of \"%s\" into %s\n",
                     static_cast<long long>(frames), panel->fans.size(), qPrintable(panel->model),
                     qPrintable(native(options.outputPath) + "*.bin"));

    if (options.fanViewFrame < 0)
        return ExitSuccess;
    const int status =
        writeFanViews(options.outputPath, *panel, options.fanViewFrame, swapOrigin, &error);
    if (status != ExitSuccess)
        complain(error);
    return status;
}
