// rotavis-convert: the window's save, from the command line and without a display.
#include "commands.h"
#include "diagnostics.h"
#include "exitstatus.h"
#include "fanconfig.h"
#include "messages.h"
#include "nativepath.h"
#include "options.h"
#include "vectorkernel.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/log.h>
}

namespace {

// Every message goes to standard error, standard output being kept for what the converter
// is asked to print. The diagnostic lines come only when their categories are on: with
// --verbose, or by QT_LOGGING_RULES.
void printMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(printMessage);
    // Beyond the file size limit a write fails with its own error, which the run reports and
    // cuts back to whole frames, instead of the signal ending the program mid-record.
    std::signal(SIGXFSZ, SIG_IGN);

    // Paths exactly as they were given, also where they are not UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << NativePath::fromBytes(QByteArray(argv[i]));

    Options options;
    QString error;
    if (!parseOptions(arguments, FanConfig::defaultPath(), &options, &error)) {
        complainAboutUsage(error);
        return ExitUsage;
    }
    if (options.verbose)
        Diagnostics::enable();
    // FFmpeg's own chatter (the encoder's statistics) only with --verbose; its errors always.
    av_log_set_level(options.verbose ? AV_LOG_INFO : AV_LOG_ERROR);

    // A kernel forced by ROTAVIS_KERNEL that cannot run here is refused rather than
    // quietly replaced: whoever set it wants to know which loops made the files.
    const bool informationOnly =
        options.mode == Options::Mode::Help || options.mode == Options::Mode::Version;
    if (!informationOnly && !kernelChoiceError().isEmpty()) {
        complain(kernelChoiceError());
        return ExitUsage;
    }

    switch (options.mode) {
    case Options::Mode::Help:
        std::printf("%s", qPrintable(usageText()));
        return ExitSuccess;
    case Options::Mode::Version:
        std::printf("rotavis-convert %s (Qt %s, FFmpeg %s)\n", ROTAVIS_VERSION, qVersion(),
                    av_version_info());
        return ExitSuccess;
    case Options::Mode::CheckConfig:
        return checkConfig(options);
    case Options::Mode::ListPanels:
        return listPanels(options);
    case Options::Mode::Inspect:
        return inspectFanData(options);
    case Options::Mode::Repair:
        return repairFanData(options);
    case Options::Mode::Play:
        return playFanData(options);
    case Options::Mode::Convert:
        break;
    }
    return runConversion(options);
}
