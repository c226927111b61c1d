#include "sampling.h"

#include "bladetypes.h"
#include "fan.h"
#include "frontfanblending.h"
#include "ledprocessing.h"
#include "packets.h"
#include "panel.h"
#include "scalemap.h"

#include <cmath>

namespace {
constexpr double twoPi = 6.283185307179586;
constexpr int blockSide = int(imageScale);
} // namespace

QSize layerImageSize(const Panel& panel)
{
    return QSize(int(imageScale * panel.width), int(panel.height * imageScale));
}

QRect selectedRegion(const QRectF& selection)
{
    // QRectF::toRect() of Qt 5.15, whose rounding takes halves up also below zero: Qt 6
    // rounds them away from zero and its corners differently.
    const auto roundHalfUp = [](double d) {
        return d >= 0.0 ? int(d + 0.5) : int(d - double(int(d - 1)) + 0.5) + int(d - 1);
    };
    QRect region(QPoint(roundHalfUp(selection.x()), roundHalfUp(selection.y())),
                 QPoint(roundHalfUp(selection.x() + selection.width()) - 1,
                        roundHalfUp(selection.y() + selection.height()) - 1));
    if (region.isNull())
        return region;
    if (region.width() < 1)
        region.setWidth(1);
    if (region.height() < 1)
        region.setHeight(1);
    return region;
}

LayerImages buildLayerImages(const QImage& frame, const Panel& panel)
{
    // Sampling reads three bytes per pixel; anything else would be read out of bounds.
    const QImage rgb = frame.format() == QImage::Format_RGB888
                           ? frame
                           : frame.convertToFormat(QImage::Format_RGB888);
    // copy() fills the part outside the frame with zero bytes and copies the whole frame for
    // a null rectangle.
    const QImage selected = rgb.copy(selectedRegion(panel.selection));
    const QSize size = layerImageSize(panel);

    LayerImages layers;
    layers.frameImage_z0 = nearestScaled(selected, size);
    layers.frameImage_z1 = layers.frameImage_z0.copy();
    return layers;
}

FanLines sampleLines(const uchar* bits, double x, double y, double ledpcs, double W, double H,
                     int bytesPerLine, int L)
{
    FanLines lines;
    if (L > 0)
        lines.reserve(L);
    for (int k = 0; k < L; ++k) {
        const double theta = (double(-k) / L) * 180;
        lines.append(Line(sampleHalfLine(bits, x, y, ledpcs, theta, W, H, bytesPerLine),
                          sampleHalfLine(bits, x, y, ledpcs, theta + 180, W, H, bytesPerLine)));
    }
    return lines;
}

HalfLine sampleHalfLine(const uchar* bits, double x, double y, double ledpcs, double theta,
                        double W, double H, int bytesPerLine)
{
    HalfLine half;
    if (ledpcs > 0)
        half.reserve(int(std::ceil(ledpcs * 0.5)));
    for (int d = 0; d < ledpcs * 0.5; ++d)
        half.append(samplePixelBlock(bits, x, y, theta, d, W, H, bytesPerLine));
    return half;
}

int samplePixelBlock(const uchar* bits, double x, double y, double theta, double d, double W,
                     double H, int bytesPerLine)
{
    const double phi = theta / 360 * twoPi;
    const double X = std::cos(phi) * d + x;
    const double Y = std::sin(phi) * d + y;
    int sum0 = 0;
    int sum1 = 0;
    int sum2 = 0;
    visitPixelBlock(X, Y, W, H, [&](int column, int row) {
        const uchar* pixel = bits + qptrdiff(row) * bytesPerLine + 3 * qptrdiff(column);
        sum0 += pixel[0];
        sum1 += pixel[1];
        sum2 += pixel[2];
    });
    const int divisor = blockSide * blockSide;
    return (sum0 / divisor) << 16 | (sum1 / divisor) << 8 | (sum2 / divisor);
}

QByteArray assembleLine(const Line& line, int lineIndex, BitPlaneTurn& turn)
{
    const int size = 3 * (line.first.size() + line.second.size());
    QByteArray data(lineBufferSize(size), '\0');
    uchar* out = reinterpret_cast<uchar*>(data.data());
    for (const HalfLine* half : {&line.first, &line.second}) {
        for (const int sample : *half) {
            *out++ = uchar((sample >> 16) & 0xFF);
            *out++ = uchar((sample >> 8) & 0xFF);
            *out++ = uchar(sample & 0xFF);
        }
    }
    processLine(reinterpret_cast<uchar*>(data.data()), lineIndex, size, turn);
    return data;
}

QByteArray fanFrameRecord(const QImage& layerImage, const Fan& fan, BitPlaneTurn& turn)
{
    const int lineCount = bladeType(fan.ledpcs).linesPerFrame;
    const FanLines lines =
        sampleLines(layerImage.constBits(), fan.x, fan.y, fan.ledpcs, layerImage.width(),
                    layerImage.height(), layerImage.bytesPerLine(), lineCount);
    QByteArray record;
    record.reserve(int(frameRecordSize(fan.ledpcs)));
    for (int i = 0; i < lineCount; ++i)
        appendLineRecord(record, assembleLine(lines.at(i), i, turn), i, fan.ledpcs);
    return record;
}

QVector<QByteArray> frameRecords(const QImage& frame, const Panel& panel, BitPlaneTurn& turn)
{
    LayerImages layers = buildLayerImages(frame, panel);
    paintFrontFanBlending(layers.frameImage_z0, layers.frameImage_z1, panel);
    QVector<QByteArray> records;
    for (const Fan* fan : panel.fans)
        records.append(
            fanFrameRecord(fan->z == 0 ? layers.frameImage_z0 : layers.frameImage_z1, *fan, turn));
    return records;
}
