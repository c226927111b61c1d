#include "panelconversion.h"

#include "bitplanes.h"
#include "bladetypes.h"
#include "fan.h"
#include "fanworkers.h"
#include "frontfanlayers.h"
#include "linecolours.h"
#include "packets.h"
#include "panel.h"
#include "samplemap.h"

#include <algorithm>
#include <cstring>

PanelConversion::PanelConversion(const Panel& panel, int threads, VectorKernel kernel)
    : m_panel(panel), m_kernel(kernel),
      m_workers(std::make_unique<FanWorkers>(std::max(1, threads)))
{
    m_fans.resize(size_t(panel.fans.size()));
    for (int f = 0; f < panel.fans.size(); ++f) {
        const int ledpcs = panel.fans.at(f)->ledpcs;
        const RecordLayout layout(ledpcs);
        FanRecord& fan = m_fans[size_t(f)];
        fan.lines = layout.lines();
        fan.chunks = layout.chunks();
        fan.chunkBytes = layout.chunkBytes();
        fan.colours = std::make_unique<LineColours>(6 * halfLineLength(ledpcs), kernel);
        if (fan.colours->packs())
            fan.packed.assign(size_t(fan.lines) * size_t(fan.colours->bufferSize()), 0);
        fan.headers = layout.headers();
    }
}

PanelConversion::~PanelConversion() = default;

bool PanelConversion::takesSwapTurns(int fan) const
{
    return m_fans[size_t(fan)].colours->takesSwapTurns();
}

QByteArray PanelConversion::frameRecord(int fan) const
{
    QByteArray record;
    for (const Piece& piece : m_fans[size_t(fan)].pieces)
        record.append(piece.bytes, piece.size);
    return record;
}

FanFrameRecord PanelConversion::viewRecord(int fan) const
{
    return {frameRecord(fan), m_panel.fans.at(fan)->ledpcs, takesSwapTurns(fan),
            m_fans[size_t(fan)].firstTurn};
}

PixelRuns PanelConversion::framePixelsRead(QSize size, int bytesPerLine, int join)
{
    prepare(size, bytesPerLine);
    return m_map->framePixelsRead(join);
}

void PanelConversion::prepare(QSize frameSize, int bytesPerLine)
{
    if (m_map && m_map->frameSize() == frameSize && m_map->frameBytesPerLine() == bytesPerLine)
        return;
    m_layers.reset();
    m_map =
        std::make_unique<SampleMap>(m_panel, frameSize, bytesPerLine, m_workers.get(), m_kernel);
    m_layers = std::make_unique<FrontFanLayers>(m_panel, *m_map);
    // Black samples are never written: they stay zero, and the colour processing of a line
    // in place keeps black LEDs black (packed lines are processed elsewhere).
    for (size_t f = 0; f < m_fans.size(); ++f) {
        FanRecord& fan = m_fans[f];
        fan.samples.assign(size_t(m_map->fanBytes(int(f))), 0);
        // The packets carry the first 3 x ledpcs bytes of each line; for an odd count the
        // second half-line's last LED is left out.
        const size_t lineBytes = fan.samples.size() / size_t(std::max(1, fan.lines));
        const uchar* lines = fan.colours->packs() ? fan.packed.data() : fan.samples.data();
        const size_t lineStep =
            fan.colours->packs() ? size_t(fan.colours->bufferSize()) : lineBytes;
        fan.pieces.clear();
        const char* header = fan.headers.data();
        for (int i = 0; i < fan.lines; ++i) {
            for (int chunk = 0; chunk < fan.chunks; ++chunk) {
                fan.pieces.push_back({header, packetHeaderSize});
                header += packetHeaderSize;
                if (fan.chunkBytes > 0)
                    fan.pieces.push_back({reinterpret_cast<const char*>(lines) +
                                              lineStep * size_t(i) +
                                              size_t(fan.chunkBytes) * size_t(chunk),
                                          fan.chunkBytes});
            }
        }
    }
}

void PanelConversion::convert(const QImage& input, BitPlaneTurn& turn, const RecordDone& done)
{
    // Sampling reads three bytes per pixel; anything else would be read out of bounds.
    const QImage frame = input.format() == QImage::Format_RGB888 || input.isNull()
                             ? input
                             : input.convertToFormat(QImage::Format_RGB888);
    prepare(frame.size(), int(frame.bytesPerLine()));
    const uchar* bits = frame.constBits();
    m_layers->paint(bits);

    // Each fan's turn is known before any line is packed: the fans before it in the list
    // take theirs first.
    for (FanRecord& fan : m_fans) {
        fan.firstTurn = turn;
        if (fan.colours->takesSwapTurns())
            turn.advance(fan.lines);
    }
    m_workers->run(fanCount(), [&](int f) {
        convertFan(f, bits, m_fans[size_t(f)].firstTurn);
        if (done)
            done(f);
    });
}

void PanelConversion::convertFan(int f, const uchar* frame, BitPlaneTurn turn)
{
    FanRecord& fan = m_fans[size_t(f)];
    if (fan.samples.empty())
        return; // a blade without LEDs: its packets are headers only
    m_map->gatherFan(f, frame, m_layers->painted(m_map->layer(f)), fan.samples.data());

    const size_t lineBytes = fan.samples.size() / size_t(std::max(1, fan.lines));
    const bool takesTurns = fan.colours->takesSwapTurns();
    // Lines are processed where they were gathered (black samples stay black there: they are
    // never gathered again); packed lines then go to buffers of their own, since packing
    // moves the LEDs.
    const bool packs = fan.colours->packs();
    for (int i = 0; i < fan.lines; ++i) {
        uchar* line = fan.samples.data() + lineBytes * size_t(i);
        uchar* packed =
            packs ? fan.packed.data() + size_t(fan.colours->bufferSize()) * size_t(i) : nullptr;
        fan.colours->process(line, i, takesTurns && turn.next(), packed);
    }
}
