#include "core.h"
#include "outputrun.h"

#include <QDir>

namespace {

// Frames converted by the output run in progress.
int convertedCount = 0;

// The files of the output run in progress, for convertFrame.
OutputRun* currentRun = nullptr;

} // namespace

void Core::beginOutput(QString outputPath, Panel* panel)
{
    convertedCount = 0;
    this->panel = panel;

    OutputRun run;
    QString failure;
    if (run.open(outputPath, panel)) {
        currentRun = &run;
        decodeVideo(convertFrame, this, 999999, false);
        currentRun = nullptr;
        if (!run.errorString().isEmpty())
            failure = run.errorString();
        else if (convertedCount == 0 && !lastRunStopped)
            failure = QStringLiteral("No picture could be read from %1")
                          .arg(QDir::toNativeSeparators(fileName));
        run.close();
    } else {
        failure = run.errorString();
    }

    if (!failure.isEmpty())
        emit outputFailed(failure);
    emit outputCompleted();
    emit runEnded();
}

void convertFrame(QImage* frame, Core* core, int frameIndex)
{
    convertedCount += 1;
    if (!currentRun->convertFrame(*frame)) {
        // Nothing more can be written: end the run after this picture.
        core->stopRequested = true;
        return;
    }
    if (convertedCount % outputProgressInterval == 0)
        emit core->outputProgress(frameIndex, frame->copy());
}
