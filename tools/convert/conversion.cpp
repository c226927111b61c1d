#include "batchsummary.h"
#include "clipplan.h"
#include "commands.h"
#include "defaultselection.h"
#include "exitstatus.h"
#include "fanvideo.h"
#include "fanviews.h"
#include "installation.h"
#include "interrupts.h"
#include "messages.h"
#include "options.h"
#include "progressreporter.h"
#include "selectionchecks.h"

#include "bitplanes.h"
#include "core.h"
#include "diagnostics.h"
#include "fan.h"
#include "fandataset.h"
#include "frameestimate.h"
#include "mediainput.h"
#include "nativepath.h"
#include "packets.h"
#include "panel.h"
#include "panellimits.h"

#include <QDebug>
#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <iterator>
#include <unistd.h>

namespace {

// A time of the clip as the options take it: seconds with up to six decimals.
QString clipTimeText(qint64 us)
{
    QString text = QString::number(double(us) / 1e6, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text + QLatin1Char('s');
}

// Converts one clip for `panel` into the files of `outputPath`. Problems are reported as they
// happen; progress (unless quiet) is labelled with `label` when there is one.
ClipOutcome convertClip(const ClipJob& job, Panel* panel, const Options& options,
                        const QString& label)
{
    ClipOutcome outcome;
    outcome.clip = native(job.input);
    QElapsedTimer clock;
    clock.start();
    const auto ending = [&](int status, const QString& problem = QString()) {
        if (!problem.isEmpty())
            complain(problem);
        outcome.status = status;
        outcome.elapsedMs = clock.elapsed();
        return outcome;
    };

    if (!job.problem.isEmpty())
        return ending(ExitUsage, job.problem);
    const QString readOnce = MediaInput::readOnceProblem(job.input);
    if (!readOnce.isEmpty())
        return ending(ExitMediaUnreadable, readOnce);

    Core core;
    core.setFileName(job.input);
    core.sourceOptions = options.source;
    core.adjustments = options.adjustments;
    core.showsOutputFrames = false;
    const VideoInfo info = core.readFirstFrame();
    if (info.firstFrame.isNull()) {
        // FFmpeg also reads URLs, which name no file of their own.
        if (!NativePath::status(job.input).exists && !job.input.contains(QLatin1String("://")))
            return ending(ExitMediaUnreadable,
                          QStringLiteral("%1: no such file").arg(native(job.input)));
        return ending(ExitMediaUnreadable,
                      QStringLiteral("%1 gives no picture (not a video or picture file, a video "
                                     "without pictures, or not readable)")
                          .arg(native(job.input)));
    }
    const ClipRange& range = options.source.range;
    if (!range.isWhole()) {
        if (core.readFrameAt(range).firstFrame.isNull())
            return ending(ExitUsage,
                          QStringLiteral("%1 holds no picture from %2 to %3 (see --help)")
                              .arg(native(job.input), clipTimeText(range.startUs),
                                   range.endUs == ClipRange::noEnd ? QStringLiteral("its end")
                                                                   : clipTimeText(range.endUs)));
    }
    if (options.fanViewFrame >= 0) {
        const qint64 expected =
            expectedFrames(info.fps, info.durationMs, panel->hz, options.source);
        if (expected >= 0 && options.fanViewFrame >= expected)
            return ending(ExitUsage,
                          QStringLiteral("no frame %1 for --fan-view: %2 gives about "
                                         "%3 at the panel's rate (see --help)")
                              .arg(options.fanViewFrame)
                              .arg(native(job.input), counted(expected, QStringLiteral("frame"))));
    }
    // Only the clip's picture tells whether a given selection shows any of it.
    if (options.hasSelection) {
        const QString outside =
            SelectionChecks::outsideProblem(options.selection, info.firstFrame.size());
        if (!outside.isEmpty())
            return ending(ExitUsage,
                          QStringLiteral("%1 of %2 (see --help)").arg(outside, native(job.input)));
    }
    panel->selection =
        options.hasSelection ? options.selection : defaultSelection(info.firstFrame.size(), *panel);

    if (interruptSignal())
        return ending(ExitInterrupted + interruptSignal(),
                      QStringLiteral("%1 before %2 was converted")
                          .arg(interruption(interruptSignal()), native(job.input)));

    const bool live = isatty(fileno(stderr));
    // The progress runs over the range: the frames' indices count from its start.
    const qint64 rangeEndMs = range.endUs == ClipRange::noEnd
                                  ? info.durationMs
                                  : qMin(info.durationMs, range.endUs / 1000);
    ProgressReporter progress(stderr, live, info.fps,
                              qMax<qint64>(0, rangeEndMs - range.startUs / 1000), label);
    qint64 framesDone = 0; // a run may go on for more frames than int counts
    QString failure;
    QObject::connect(&core, &Core::outputProgress, &core, [&](int frameIndex, const QImage&) {
        framesDone += outputProgressInterval;
        if (!options.quiet)
            progress.update(framesDone, frameIndex);
    });
    QObject::connect(&core, &Core::outputFailed, &core,
                     [&](const QString& message) { failure = message; });

    // The 14-channel blades swap halves in turns counted over the program's run: each clip
    // starts its turns afresh, so its files are those of a conversion of it alone.
    BitPlaneTurn::outputRuns() = BitPlaneTurn();
    // The video is rendered from the very records the run writes, as they are written.
    std::unique_ptr<FanVideo> video;
    if (!options.videoPath.isEmpty()) {
        video = std::make_unique<FanVideo>(*panel);
        if (!video->open(options.videoPath, options.videoSize, job.input, true))
            return ending(ExitOutputUnwritable, video->errorString());
        qCDebug(convertLog).noquote() << "Encoding with" << video->encoderName();
        core.outputFrameWritten = [&video](QVector<FanFrameRecord> fans) {
            video->add(std::move(fans));
        };
    }
    {
        const StoppableRun stoppable(&core);
        core.beginOutput(job.outputPath, panel);
    }
    // Another run writes the set: its files are not this run's to count.
    if (core.lastRunSetBusy) {
        progress.finish();
        return ending(ExitUsage, failure);
    }

    for (const QString& file : clipOutputFiles(job.outputPath, *panel, false))
        outcome.files += NativePath::status(file).isFile;
    outcome.frames = convertedFrames(job.outputPath, *panel);
    // The video of the frames written, also after a stop; one of no frame is no video and is
    // not left behind.
    core.outputFrameWritten = nullptr;
    if (video && outcome.frames > 0 && !video->finish() && failure.isEmpty())
        failure = video->errorString();

    // A clip of a batch always gets its line; a single run's failure speaks for itself.
    const auto concludeFailure = [&](const QString& text) {
        if (label.isEmpty() || options.quiet)
            progress.finish();
        else
            progress.conclude(text);
    };
    if (!failure.isEmpty()) {
        concludeFailure(QStringLiteral("not written"));
        return ending(ExitOutputUnwritable, failure);
    }
    if (interruptSignal()) {
        concludeFailure(interruption(interruptSignal()));
        return ending(ExitInterrupted + interruptSignal(),
                      QStringLiteral("%1: the files hold the %2 converted before the stop, "
                                     "whole frames only")
                          .arg(interruption(interruptSignal()),
                               counted(outcome.frames, QStringLiteral("frame"))));
    }
    if (!options.quiet) {
        const QString frames = counted(outcome.frames, QStringLiteral("frame"));
        const QString fans = counted(panel->fans.size(), QStringLiteral("fan"));
        progress.conclude(label.isEmpty()
                              ? QStringLiteral("Converted %1 for %2 of \"%3\" into %4")
                                    .arg(frames, fans, panel->model,
                                         native(job.outputPath) + '*' + FanDataSet::suffix())
                              : QStringLiteral("%1, %2, %3")
                                    .arg(frames, counted(outcome.files, QStringLiteral("file")),
                                         clockTime(clock.elapsed())));
    }

    if (options.fanViewFrame < 0)
        return ending(ExitSuccess);
    QString error;
    const int status = writeFanViews(job.outputPath, *panel, options.fanViewFrame, &error);
    return ending(status, error);
}

} // namespace

int runConversion(const Options& options)
{
    Installation installation;
    int status = ExitSuccess;
    Panel* panel = installation.usablePanel(options.configPath, options.panel, &status);
    if (!panel)
        return status;

    ClipPlan plan;
    QString error;
    if (!planClips(options, &plan, &error)) {
        complainAboutUsage(error);
        return ExitUsage;
    }
    if (plan.batch && !options.videoPath.isEmpty()) {
        complainAboutUsage(QStringLiteral("--video goes with one clip"));
        return ExitUsage;
    }
    // Nothing is replaced without leave, and nothing is written before that is settled.
    const bool fanViews = options.fanViewFrame >= 0;
    QString existing = firstExistingOutput(plan, *panel, fanViews);
    if (existing.isEmpty() && !options.videoPath.isEmpty() &&
        NativePath::status(options.videoPath).exists)
        existing = options.videoPath;
    if (!existing.isEmpty() && !options.overwrite) {
        complainAboutUsage(
            QStringLiteral("%1 exists; --overwrite (-y) replaces it").arg(native(existing)));
        return ExitUsage;
    }
    // Once, for all clips: the selection is the same for each.
    if (options.hasSelection) {
        const QString stretched = SelectionChecks::proportionWarning(options.selection, *panel);
        if (!stretched.isEmpty())
            complain(QStringLiteral("warning: ") + stretched);
    }
    const InterruptScope interruptible;
    if (!plan.batch)
        return convertClip(plan.jobs.first(), panel, options, QString()).status;

    if (!NativePath::makePath(options.outputPath)) {
        complain(QStringLiteral("cannot make the folder %1").arg(native(options.outputPath)));
        return ExitOutputUnwritable;
    }
    QList<ClipOutcome> outcomes;
    for (const ClipJob& job : plan.jobs) {
        ClipOutcome notStarted;
        notStarted.clip = native(job.input);
        outcomes.append(notStarted);
    }
    for (int i = 0; i < plan.jobs.size(); ++i) {
        const QString label =
            QStringLiteral("[%1/%2] %3").arg(i + 1).arg(plan.jobs.size()).arg(outcomes[i].clip);
        outcomes[i] = convertClip(plan.jobs.at(i), panel, options, label);
        if (interruptSignal())
            break;
    }
    std::printf("%s", qPrintable(summaryTable(outcomes)));
    std::fflush(stdout);
    return worstStatus(outcomes);
}
