#include "outputjob.h"

#include "core.h"
#include "framesource.h"
#include "panel.h"
#include "panellimits.h"

#include <QDir>

OutputJob::OutputJob(Core* core, quint64 job) : core(core), job(job) {}

QString OutputJob::run(const QString& outputPath, Panel* panel)
{
    converted = 0;
    core->lastRunSetBusy = false;
    // A panel the conversion cannot work with is refused before any file is touched.
    if (panel) {
        const QString refused = PanelLimits::problem(*panel);
        if (!refused.isEmpty())
            return refused;
    }
    files.setFrameWritten(core->outputFrameWritten);
    if (!files.open(outputPath, panel, core->fileName)) {
        core->lastRunSetBusy = files.busy();
        return files.errorString();
    }

    // Every picture of the clip, however long it is.
    FrameSource source(core, job, FrameSource::noLimit, false);
    // The conversion reads some pixels of each frame only: the others need no adjustment,
    // unless the frame is also shown. A gap shorter than a block of the adjustment's vector
    // loop costs less adjusted than passed over.
    if (panel) {
        source.setReadPixels([this](QSize size, int bytesPerLine) {
            return files.framePixelsRead(size, bytesPerLine, 8);
        });
    }
    source.run([this, &source](QImage* frame, Core*, int frameIndex) {
        convertFrame(*frame, frameIndex, source);
    });
    core->lastRunStopped = source.stopped();

    files.finish();
    QString failure = files.errorString();
    if (failure.isEmpty() && source.ranOutOfMemory())
        failure = QStringLiteral("No memory for another frame: the files hold the %1 frames "
                                 "converted before it")
                      .arg(converted);
    if (failure.isEmpty() && converted == 0 && !source.stopped())
        failure = QStringLiteral("No picture could be read from %1")
                      .arg(QDir::toNativeSeparators(core->fileName));
    files.close();
    return failure;
}

void OutputJob::convertFrame(const QImage& frame, int frameIndex, FrameSource& source)
{
    converted += 1;
    if (!files.convertFrame(frame)) {
        // Nothing more can be written: the run ends after this picture.
        source.endRun();
        return;
    }
    if (converted % outputProgressInterval == 0)
        emit core->outputProgress(frameIndex,
                                  core->showsOutputFrames ? source.completed(frame) : frame);
}
