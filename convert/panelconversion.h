#ifndef ROTAVIS_PANELCONVERSION_H
#define ROTAVIS_PANELCONVERSION_H

#include "bitplanes.h"
#include "fanframelines.h"
#include "pixelruns.h"
#include "vectorkernel.h"

#include <QByteArray>
#include <QImage>

#include <functional>
#include <memory>
#include <vector>

class FanWorkers;
class FrontFanLayers;
class LineColours;
class Panel;
class SampleMap;

// One frame of a panel into the frame record of every fan, in memory: the fast path of the
// conversion, in the order the data flows. Samples through the map (SampleMap, with the
// front-fan blending of FrontFanLayers), LED colour processing (LineColours), packets into
// each fan's record. The output run writes the records to the files; a live view can render
// them (FanDataReader::read, renderFanView). The fans are converted in parallel; lines packed
// in 14 channels take their swap turns in fan order, as one after the other would.
//
// Everything that depends only on the panel and the frame's size is worked out on the
// first frame (and again should the frame's size change); nothing that scales with the panel
// is allocated per frame. The panel must not change while this lives.
class PanelConversion
{
public:
    // The samples are gathered and their LED colours processed by `kernel` where the
    // processor runs it.
    explicit PanelConversion(const Panel& panel, int threads = 2,
                             VectorKernel kernel = selectedVectorKernel());
    ~PanelConversion();
    PanelConversion(const PanelConversion&) = delete;
    PanelConversion& operator=(const PanelConversion&) = delete;

    // A stretch of a frame record: a packet header or the LED bytes of a packet.
    struct Piece
    {
        const char* bytes;
        int size;
    };

    // Called with each fan whose record is finished, on the thread that converted it, while
    // the other fans may still be converted.
    using RecordDone = std::function<void(int fan)>;

    // Converts one frame (RGB888 at the media's size; other formats are converted first).
    // 14-channel lines take their turns from `turn`, which moves on by all of them.
    void convert(const QImage& frame, BitPlaneTurn& turn, const RecordDone& done = {});

    int fanCount() const { return int(m_fans.size()); }

    // The pixels of frames of `size` and `bytesPerLine` that the conversion reads (see
    // SampleMap::framePixelsRead).
    PixelRuns framePixelsRead(QSize size, int bytesPerLine, int join);
    // The frame record of fan `fan` for the last converted frame, the bytes its file gets, as
    // the pieces in order. They point into buffers that this keeps for the next frame: they
    // are valid until the next convert().
    const std::vector<Piece>& recordPieces(int fan) const { return m_fans[size_t(fan)].pieces; }
    // The same record in one piece.
    QByteArray frameRecord(int fan) const;
    // The same record with what a view of the fan needs to take it apart into lines: which
    // lines were packed with the blade's halves swapped.
    FanFrameRecord viewRecord(int fan) const;
    // Whether fan `fan`'s lines are packed in 14 channels and so take swap turns, and the
    // turn its first line took in the last converted frame.
    bool takesSwapTurns(int fan) const;
    BitPlaneTurn firstTurn(int fan) const { return m_fans[size_t(fan)].firstTurn; }

private:
    struct FanRecord
    {
        int lines = 0;
        int chunks = 0;
        int chunkBytes = 0;
        std::unique_ptr<LineColours> colours;
        std::vector<char> headers;  // every packet header of a record, written once
        std::vector<uchar> samples; // the gathered samples of all lines, processed in place
        std::vector<uchar> packed;  // the lines packed into bit planes (768 bytes each)
        std::vector<Piece> pieces;  // headers and LED bytes of the record, in order
        BitPlaneTurn firstTurn;     // of the first line in the last converted frame
    };

    void prepare(QSize frameSize, int bytesPerLine);
    void convertFan(int fan, const uchar* frame, BitPlaneTurn turn);

    const Panel& m_panel;
    const VectorKernel m_kernel;
    std::vector<FanRecord> m_fans;
    std::unique_ptr<SampleMap> m_map;
    std::unique_ptr<FrontFanLayers> m_layers;
    std::unique_ptr<FanWorkers> m_workers;
};

#endif
