// rotavis-convert: the window's save, from the command line and without a display.
#include "commands.h"
#include "exitstatus.h"
#include "fanconfig.h"
#include "options.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

bool showDiagnostics = false;

// The converter's own messages go to standard error; the decoder's and converter's debug
// lines only with --verbose.
void filterMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if ((type == QtDebugMsg || type == QtInfoMsg) && !showDiagnostics)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(filterMessages);

    Options options;
    QString error;
    if (!parseOptions(QCoreApplication::arguments(), FanConfig::defaultPath(), &options, &error)) {
        std::fprintf(stderr, "rotavis-convert: %s\n\n%s", qPrintable(error),
                     qPrintable(usageText()));
        return ExitUsage;
    }
    showDiagnostics = options.verbose;

    switch (options.mode) {
    case Options::Mode::Help:
        std::printf("%s", qPrintable(usageText()));
        return ExitSuccess;
    case Options::Mode::ListPanels:
        return listPanels(options);
    case Options::Mode::Inspect:
        return inspectFanData(options);
    case Options::Mode::Convert:
        break;
    }
    return runConversion(options);
}
