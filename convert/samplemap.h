#ifndef ROTAVIS_SAMPLEMAP_H
#define ROTAVIS_SAMPLEMAP_H

#include "pixelruns.h"
#include "vectorkernel.h"

#include <QSize>
#include <QtGlobal>

#include <cstdint>
#include <vector>

class FanWorkers;
class Panel;

// The first stage of the conversion: frame -> samples. The places a fan's samples read
// depend only on the panel, its selection and the frame's size, so they are worked out once
// per run with the very expressions of the straightforward sampling (samplePixelBlock). Each
// sample averages the 3 x 3 block of the layer image at its point; the layer image is a
// nearest-neighbour enlargement (NearestScaleMap) of the selected region, so the block reads
// a few pixels of the frame itself, each with a whole-number weight out of 9. Pixels that the
// front-fan blending paints come from a small array of painted pixels instead (FrontFanLayers).
class SampleMap
{
public:
    // A pixel that the front-fan blending may paint and that some sample reads.
    struct PaintedPixel
    {
        qint64 layerOffset; // byte offset in the full-size layer image
        qint32 frameOffset; // byte offset of the pixel it is scaled from; -1 outside the frame
    };

    // `workers`, if given, work out the fans in parallel. The samples are gathered by
    // `kernel` where the processor runs it, else by the portable one.
    SampleMap(const Panel& panel, QSize frameSize, int frameBytesPerLine,
              FanWorkers* workers = nullptr, VectorKernel kernel = selectedVectorKernel());

    // W x H of the layer images for frames of `frameSize`; empty when they come out null.
    static QSize layerSizeFor(const Panel& panel, QSize frameSize);

    // The kernel its samples are gathered by.
    VectorKernel kernel() const { return m_kernel; }
    QSize frameSize() const { return m_frameSize; }
    int frameBytesPerLine() const { return m_frameBytesPerLine; }
    // W x H of the layer images; empty when they are null (nothing selected or no panel area).
    QSize layerSize() const { return m_layerSize; }
    int layerBytesPerLine() const { return layerBytesPerLineFor(m_layerSize); }
    // Bytes per line of RGB888 layer images of `size` (0 for none).
    static int layerBytesPerLineFor(QSize size)
    {
        return size.isEmpty() ? 0 : (size.width() * 3 + 3) & ~3;
    }

    // The pixels of layer 0 or 1 that samples read and the blending may paint, in the order
    // of the painted array that gatherFan() reads.
    const std::vector<PaintedPixel>& paintedPixels(int layer) const { return m_painted[layer]; }
    // Whether some of them may be painted by more than one front fan's blending.
    bool paintedOverAgain(int layer) const { return m_paintedOverAgain[layer]; }

    int layer(int fan) const { return m_fans[size_t(fan)].layer; }

    // The pixels of the frame that some sample reads, directly or through a painted pixel,
    // as runs (joined across gaps shorter than `join`): nothing else of a frame reaches the
    // records.
    PixelRuns framePixelsRead(int join) const;

    // Bytes gatherFan() writes for fan `fan`: 3 per sample, lines one after the other.
    int fanBytes(int fan) const;

    // The RGB bytes of every line of fan `fan`: for each line, 3 bytes per sample, the first
    // half-line from the hub outwards, then the second. `frame` is the RGB888 frame (of
    // frameSize() and frameBytesPerLine()); `painted` holds 3 bytes per painted pixel of the
    // fan's layer. Black samples (those that read no pixel) are not written: `out` holds
    // zeros there from the start.
    void gatherFan(int fan, const uchar* frame, const uchar* painted, uchar* out) const;

private:
    // A fan's samples are kept in groups: group 0 holds the samples whose nine pixels are
    // one pixel of the frame, group g = 1 ... 9 those that read g pixels of the frame, groups
    // 10 ... 34 those of several pixels that are three rows of the frame at the same columns
    // (one group per pattern of rows), group 35 those that read painted pixels too or pixels
    // at the very end of the frame (with their counts); samples that read nothing are black.
    // Group 36 holds the samples that read the very pixels of a sample before them in the
    // lines (near the hub, where the lines crowd together): they are copied from it once the
    // others are gathered. Each group is summed by a loop of its own (samplegather.h, in
    // whose block layout groups 0 ... 9 are kept), row by row through the frame, and each
    // sample's result goes to its place in the lines.
    static constexpr int groupCount = 37;
    // Byte offsets in the lines of a copied sample and of the sample it repeats.
    struct SampleCopy
    {
        std::uint32_t to, from;
    };
    struct FanSamples
    {
        int layer = 0;
        int samplesPerLine = 0;
        int lines = 0;
        std::vector<int> groupSizes = std::vector<int>(groupCount); // samples per group
        std::vector<std::uint32_t> positions;      // per sample: its byte offset in the lines
        std::vector<std::uint8_t> irregularCounts; // per sample of group 35: its entries
        std::vector<std::int32_t> offsets;         // frame byte offset, or ~(3 x painted index)
        std::vector<std::uint8_t> weights;         // pixels of the 3 x 3 block on this one
        std::vector<SampleCopy> copies;            // group 36

        // Takes the blocks of all samples in line order and sorts them into groups.
        template <typename Blocks>
        void addBlocks(Blocks& blocks, int frameRows, int frameBytesPerLine,
                       const std::vector<PaintedPixel>& painted);
    };

    VectorKernel m_kernel;
    QSize m_frameSize;
    int m_frameBytesPerLine = 0;
    QSize m_layerSize;
    std::vector<FanSamples> m_fans;
    std::vector<PaintedPixel> m_painted[2];
    bool m_paintedOverAgain[2] = {false, false};
};

#endif
