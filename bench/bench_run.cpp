// One whole run per process, for bench/run.sh: either the decode-only run of the frame source
// (no callback, at the panel's rate), the full conversion of the window's save, or the
// decode-only run that also writes as many bytes per picture and fan as the conversion does
// (zeros; what a run costs before any sample is read). Prints the wall time of the run, the
// frames delivered or converted, the process's peak resident memory and the processor time
// of all its threads (user and system). "adjusted" is the conversion with all four colour
// values of the picture adjustments changed, "tables" with all but the saturation changed
// (one table per channel).
//
//   bench_run decode|convert|adjusted|tables|write CONFIG PANEL INPUT [OUTPUT_PREFIX]

#include "core.h"
#include "defaultselection.h"
#include "fan.h"
#include "installation.h"
#include "packets.h"
#include "panel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

int framesDelivered = 0;

void countFrame(QImage*, Core*, int)
{
    ++framesDelivered;
}

// One file per fan, each picture adding a record's worth of zeros.
struct ZeroRecords
{
    std::vector<std::unique_ptr<QFile>> files;
    std::vector<qint64> sizes;
    std::vector<char> zeros;

    bool open(const Panel& panel, const QString& prefix)
    {
        for (int f = 0; f < panel.fans.size(); ++f) {
            files.push_back(std::make_unique<QFile>(prefix + QString::number(f) + ".bin"));
            sizes.push_back(frameRecordSize(panel.fans.at(f)->ledpcs));
            zeros.resize(size_t(std::max(qint64(zeros.size()), sizes.back())));
            if (!files.back()->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return false;
        }
        return true;
    }
    void write()
    {
        for (size_t f = 0; f < files.size(); ++f)
            files[f]->write(zeros.data(), sizes[f]);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("default.debug=false");
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    const QStringList modes{"decode", "convert", "adjusted", "tables", "write"};
    if (args.size() < 5 || !modes.contains(mode)) {
        std::fprintf(stderr, "usage: bench_run decode|convert|adjusted|tables|write CONFIG PANEL "
                             "INPUT [OUTPUT]\n");
        return 2;
    }
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
    if (mode == "adjusted" || mode == "tables") {
        core.adjustments.brightness = 0.1;
        core.adjustments.contrast = 1.2;
        core.adjustments.gamma = 1.8;
        if (mode == "adjusted")
            core.adjustments.saturation = 1.4;
    }
    QElapsedTimer timer;
    qint64 ms = 0;
    const QString output = args.size() > 5 ? args.at(5) : QStringLiteral("/tmp/bench_run");
    if (mode == "decode") {
        timer.start();
        Core::decodeVideo(countFrame, &core, 999999, false);
        ms = timer.elapsed();
    } else if (mode == "write") {
        ZeroRecords records;
        if (!records.open(*panel, output)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
            return 1;
        }
        timer.start();
        Core::decodeVideo(
            [&records](QImage*, Core*, int) {
                ++framesDelivered;
                records.write();
            },
            &core, 999999, false);
        ms = timer.elapsed();
    } else {
        const VideoInfo info = core.readFirstFrame();
        if (info.firstFrame.isNull()) {
            std::fprintf(stderr, "no picture in %s\n", qPrintable(args.at(4)));
            return 1;
        }
        panel->selection = defaultSelection(info.firstFrame.size(), *panel);
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
