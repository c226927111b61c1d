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

PanelConversion::PanelConversion(const Panel& panel, int threads)
    : m_panel(panel), m_workers(std::make_unique<FanWorkers>(std::max(1, threads)))
{
    m_fans.resize(size_t(panel.fans.size()));
    for (int f = 0; f < panel.fans.size(); ++f) {
        const int ledpcs = panel.fans.at(f)->ledpcs;
        const BladeType blade = bladeType(ledpcs);
        FanRecord& fan = m_fans[size_t(f)];
        fan.lines = blade.linesPerFrame;
        fan.chunks = blade.chunks;
        fan.chunkBytes = blade.chunkBytes;
        fan.ledBytes = std::max(0, 3 * ledpcs);
        fan.colours = std::make_unique<LineColours>(6 * halfLineLength(ledpcs));
        fan.line.assign(size_t(std::max(fan.colours->bufferSize(), fan.ledBytes)), 0);
        fan.record = QByteArray(int(frameRecordSize(ledpcs)), '\0');
        char* out = fan.record.data();
        for (int i = 0; i < fan.lines; ++i) {
            for (int chunk = 0; chunk < fan.chunks; ++chunk) {
                writePacketHeader(out, blade, i, chunk);
                out += packetHeaderSize + fan.chunkBytes;
            }
        }
    }
}

PanelConversion::~PanelConversion() = default;

QRect PanelConversion::frameRegionRead() const
{
    return m_map ? m_map->frameRegionRead() : QRect();
}

void PanelConversion::prepare(const QImage& frame)
{
    if (m_map && m_map->frameSize() == frame.size() &&
        m_map->frameBytesPerLine() == frame.bytesPerLine())
        return;
    m_layers.reset();
    m_map =
        std::make_unique<SampleMap>(m_panel, frame.size(), frame.bytesPerLine(), m_workers.get());
    m_layers = std::make_unique<FrontFanLayers>(m_panel, *m_map);
    // Black samples are never written: they stay zero, and the colour processing of a line
    // in place keeps black LEDs black (packed lines are processed elsewhere).
    for (size_t f = 0; f < m_fans.size(); ++f)
        m_fans[f].samples.assign(size_t(m_map->fanBytes(int(f))), 0);
}

void PanelConversion::convert(const QImage& input, BitPlaneTurn& turn, const RecordDone& done)
{
    // Sampling reads three bytes per pixel; anything else would be read out of bounds.
    const QImage frame = input.format() == QImage::Format_RGB888 || input.isNull()
                             ? input
                             : input.convertToFormat(QImage::Format_RGB888);
    prepare(frame);
    const uchar* bits = frame.constBits();
    m_layers->paint(bits);

    // Each fan's turn is known before any line is packed: the fans before it in the list
    // take theirs first.
    std::vector<BitPlaneTurn> turns(m_fans.size());
    for (size_t f = 0; f < m_fans.size(); ++f) {
        turns[f] = turn;
        if (m_fans[f].colours->takesSwapTurns())
            turn.advance(m_fans[f].lines);
    }
    m_workers->run(fanCount(), [&](int f) {
        convertFan(f, bits, turns[size_t(f)]);
        if (done)
            done(f, m_fans[size_t(f)].record);
    });
}

void PanelConversion::convertFan(int f, const uchar* frame, BitPlaneTurn turn)
{
    FanRecord& fan = m_fans[size_t(f)];
    if (fan.ledBytes == 0)
        return; // a blade without LEDs: its packets are headers only
    m_map->gatherFan(f, frame, m_layers->painted(m_map->layer(f)), fan.samples.data());

    const size_t lineBytes = fan.samples.size() / size_t(std::max(1, fan.lines));
    uchar* line = nullptr;
    const bool takesTurns = fan.colours->takesSwapTurns();
    char* out = fan.record.data();
    // Lines are processed where they were gathered, unless they are packed: packing moves the
    // LEDs, and black samples must stay black where they are (they are never gathered again).
    const bool inPlace = !fan.colours->packs();
    for (int i = 0; i < fan.lines; ++i) {
        uchar* gathered = fan.samples.data() + lineBytes * size_t(i);
        if (inPlace) {
            line = gathered;
        } else {
            line = fan.line.data();
            std::memcpy(line, gathered, lineBytes);
        }
        fan.colours->process(line, i, takesTurns && turn.next());
        for (int chunk = 0; chunk < fan.chunks; ++chunk) {
            out += packetHeaderSize;
            // The packets carry the first 3 x ledpcs bytes of the line; for an odd count
            // the second half-line's last LED is left out.
            std::memcpy(out, line + size_t(fan.chunkBytes) * chunk, size_t(fan.chunkBytes));
            out += fan.chunkBytes;
        }
    }
}
