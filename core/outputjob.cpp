#include "core.h"

namespace {

void ignoreFrame(QImage*, Core*, int) {}

} // namespace

void Core::beginOutput(QString outputPath, Panel* panel)
{
    Q_UNUSED(outputPath);
    this->panel = panel;
    decodeVideo(ignoreFrame, this, 999999, false);
    emit outputCompleted();
    emit runEnded();
}
