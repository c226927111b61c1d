#include "commandline.h"
#include "mainwindow.h"
#include "vectorkernel.h"

#include <QApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Answered before any window: help needs no display.
    const QString answer = commandLineAnswer(argc, argv, QStringLiteral(ROTAVIS_VERSION));
    if (!answer.isEmpty()) {
        std::fputs(answer.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    // ROTAVIS_KERNEL is set from a shell, where this message is read.
    if (!kernelChoiceError().isEmpty()) {
        std::fprintf(stderr, "rotavis: %s\n", qPrintable(kernelChoiceError()));
        return 2;
    }
    // Beyond the file size limit a save's write fails with its own error, which the window
    // reports, instead of the signal ending the program mid-record.
    std::signal(SIGXFSZ, SIG_IGN);
    MainWindow window;
    window.show();
    const QString file = commandLineFile(argc, argv);
    if (!file.isEmpty())
        window.openFile(file);
    return app.exec();
}
