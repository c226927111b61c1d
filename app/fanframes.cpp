#include "fanframes.h"

#include "fan.h"
#include "fandatafile.h"
#include "frontfanblending.h"
#include "ledprocessing.h"
#include "panel.h"
#include "sampling.h"

#include <QImage>

QVector<FanFrameLines> FanFrameConverter::convert(const QImage& frame, const Panel& panel)
{
    LayerImages layers = buildLayerImages(frame, panel);
    paintFrontFanBlending(layers.frameImage_z0, layers.frameImage_z1, panel);

    QVector<FanFrameLines> fans;
    fans.reserve(panel.fans.size());
    for (const Fan* fan : panel.fans) {
        const QImage& source = fan->z == 0 ? layers.frameImage_z0 : layers.frameImage_z1;
        const int lineCount = fanLineCount(fan->ledpcs);
        const FanLines samples =
            sampleLines(source.constBits(), fan->x, fan->y, fan->ledpcs, source.width(),
                        source.height(), source.bytesPerLine(), lineCount);
        const int carried = qMax(0, 3 * fan->ledpcs);
        FanFrameLines out;
        out.lines.reserve(lineCount);
        out.swapped.reserve(lineCount);
        for (int i = 0; i < samples.size(); ++i) {
            const Line& line = samples.at(i);
            const int size = 3 * (line.first.size() + line.second.size());
            const bool fourteen = bitPlaneChannels(size) == 14;
            const bool swapped = fourteen && bitPlaneSwapAfter(packedLines);
            QByteArray data =
                fourteen ? fourteenChannelLine(line, i, swapped) : assembleLine(line, i);
            packedLines += fourteen ? 1 : 0;
            data.resize(qMin(data.size(), carried));
            out.lines.append(data);
            out.swapped.append(swapped);
        }
        fans.append(out);
    }
    return fans;
}

// assembleLine would pack these lines with the process-wide swap turn and advance it. Their
// colour processing is the squaring curve alone, LED by LED, which processLine applies by
// itself to a line of any other length: the two halves go through it apart, and the packing
// follows with this converter's own turn.
QByteArray FanFrameConverter::fourteenChannelLine(const Line& line, int lineIndex, bool swapped)
{
    QByteArray plain(packedLineSize, '\0');
    uchar* out = reinterpret_cast<uchar*>(plain.data());
    for (const HalfLine* half : {&line.first, &line.second}) {
        uchar* start = out;
        for (const int sample : *half) {
            *out++ = uchar((sample >> 16) & 0xFF);
            *out++ = uchar((sample >> 8) & 0xFF);
            *out++ = uchar(sample & 0xFF);
        }
        processLine(start, lineIndex, int(out - start));
    }
    QByteArray packed(packedLineSize, '\0');
    packBitPlanes(reinterpret_cast<uchar*>(packed.data()),
                  reinterpret_cast<const uchar*>(plain.constData()), 14, swapped);
    return packed;
}
