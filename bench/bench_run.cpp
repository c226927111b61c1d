// One whole run per process, for bench/run.sh: either the decode-only run of the frame source
// (no callback, at the panel's rate) or the full conversion of the window's save. Prints the
// wall time of the run, the frames delivered or converted, the process's peak resident
// memory and the processor time of all its threads (user and system).
//
//   bench_run decode|convert CONFIG PANEL INPUT [OUTPUT_PREFIX]

#include "core.h"
#include "defaultselection.h"
#include "installation.h"
#include "panel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <cstdio>
#include <iostream>
#include <sys/resource.h>

namespace {

int framesDelivered = 0;

void countFrame(QImage*, Core*, int)
{
    ++framesDelivered;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("default.debug=false");
    const QStringList args = app.arguments();
    if (args.size() < 5 || (args.at(1) != "decode" && args.at(1) != "convert")) {
        std::fprintf(stderr, "usage: bench_run decode|convert CONFIG PANEL INPUT [OUTPUT]\n");
        return 2;
    }
    const bool convert = args.at(1) == "convert";
    Installation installation;
    QString error;
    if (!installation.load(args.at(2), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Panel* panel = installation.find(args.at(3));
    if (!panel) {
        std::fprintf(stderr, "no panel %s\n", qPrintable(args.at(3)));
        return 1;
    }
    std::cout.rdbuf(nullptr); // the frame source's rate line

    Core core;
    core.setFileName(args.at(4));
    core.panel = panel;
    QElapsedTimer timer;
    qint64 ms = 0;
    if (!convert) {
        timer.start();
        Core::decodeVideo(countFrame, &core, 999999, false);
        ms = timer.elapsed();
    } else {
        const VideoInfo info = core.readFirstFrame();
        if (info.firstFrame.isNull()) {
            std::fprintf(stderr, "no picture in %s\n", qPrintable(args.at(4)));
            return 1;
        }
        panel->selection = defaultSelection(info.firstFrame.size(), *panel);
        const QString output = args.size() > 5 ? args.at(5) : QStringLiteral("/tmp/bench_run");
        QObject::connect(&core, &Core::outputWritten, &core,
                         [](int frames, bool) { framesDelivered = frames; });
        QString failure;
        QObject::connect(&core, &Core::outputFailed, &core,
                         [&](const QString& message) { failure = message; });
        timer.start();
        core.beginOutput(output, panel);
        ms = timer.elapsed();
        if (!failure.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(failure));
            return 1;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
    std::printf("wall_ms %lld frames %d maxrss_kb %ld cpu_ms %ld\n", static_cast<long long>(ms),
                framesDelivered, usage.ru_maxrss, cpuMs);
    return 0;
}
