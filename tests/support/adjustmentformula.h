#ifndef ROTAVIS_ADJUSTMENTFORMULA_H
#define ROTAVIS_ADJUSTMENTFORMULA_H

#include <QImage>
#include <QTransform>

#include <algorithm>
#include <cmath>

// The picture adjustments written out plainly for the tests, from their definition: one
// channel at a time in double precision, and the turn by Qt's own image transformations.
namespace TestAdjustments {

struct Values
{
    double brightness = 0, contrast = 1, saturation = 1, gamma = 1;
    int rotation = 0;
    bool mirror = false;
};

inline int channelByte(const Values& v, const int rgb[3], int channel)
{
    double c = rgb[channel];
    if (v.saturation != 1) {
        const double y = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
        c = y + v.saturation * (c - y);
    }
    if (v.contrast != 1 || v.brightness != 0)
        c = (c - 127.5) * v.contrast + 127.5 + 255 * v.brightness;
    c = std::clamp(c, 0.0, 255.0);
    if (v.gamma != 1)
        c = 255 * std::pow(c / 255, 1 / v.gamma);
    return int(std::clamp(std::floor(c + 0.5), 0.0, 255.0));
}

// `picture` (any format) adjusted, as RGB888.
inline QImage adjusted(const QImage& picture, const Values& v)
{
    QImage image = picture.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const int rgb[3] = {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = uchar(channelByte(v, rgb, c));
        }
    }
    return image.transformed(QTransform().rotate(v.rotation)).mirrored(v.mirror, false);
}

} // namespace TestAdjustments

#endif
