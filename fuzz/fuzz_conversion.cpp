// Fuzzes the way from an installation file to fan data: the loader, the panel checks of a
// run, the window's default selection on a frame, the layer images, the front-fan blending and
// every fan's frame record, both the straightforward way and the fast way, which must agree.
// Panels that a run refuses are left there, as a run leaves them.
#include "bitplanes.h"
#include "defaultselection.h"
#include "installationinput.h"
#include "panelconversion.h"
#include "panellimits.h"
#include "sampling.h"

namespace {

// The fuzzer's memory is bounded: working pictures up to this many pixels are converted.
constexpr double largestWorkingPicture = 512.0 * 512.0;

QImage frameFor(const uint8_t* data, size_t size)
{
    quint32 state = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        state = (state ^ data[i]) * 16777619u;
    QImage frame(int(1 + state % 61), int(1 + (state >> 8) % 47), QImage::Format_RGB888);
    for (int r = 0; r < frame.height(); ++r) {
        uchar* row = frame.scanLine(r);
        for (int i = 0; i < 3 * frame.width(); ++i) {
            state = state * 1664525u + 1013904223u;
            row[i] = uchar(state >> 24);
        }
    }
    return frame;
}

void convert(Panel& panel, const QImage& frame)
{
    if (!PanelLimits::problem(panel).isEmpty())
        return;
    const QSize working = layerImageSize(panel);
    if (double(working.width()) * working.height() > largestWorkingPicture)
        return;
    panel.selection = defaultSelection(frame.size(), panel);

    BitPlaneTurn referenceTurn;
    const QVector<QByteArray> records = frameRecords(frame, panel, referenceTurn);
    BitPlaneTurn turn;
    PanelConversion conversion(panel, 1);
    conversion.convert(frame, turn);
    for (int i = 0; i < panel.fans.size(); ++i) {
        if (records.at(i) != conversion.frameRecord(i))
            std::abort(); // the fast path wrote other bytes than the reference
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static InstallationInput input;
    const std::unique_ptr<LoadedPanels> panels = input.load(data, size);
    const QImage frame = frameFor(data, size);
    for (Panel* panel : panels->list())
        convert(*panel, frame);
    return 0;
}
