#include "pictureadjustments.h"

#include <algorithm>
#include <cmath>

constexpr PictureAdjustments::Range PictureAdjustments::brightnessRange;
constexpr PictureAdjustments::Range PictureAdjustments::contrastRange;
constexpr PictureAdjustments::Range PictureAdjustments::saturationRange;
constexpr PictureAdjustments::Range PictureAdjustments::gammaRange;

bool PictureAdjustments::colourUnchanged() const
{
    return brightness == brightnessRange.neutral && contrast == contrastRange.neutral &&
           saturation == saturationRange.neutral && gamma == gammaRange.neutral;
}

bool PictureAdjustments::inRange(const Range& range, double value)
{
    // Not-a-number fails both comparisons.
    return value >= range.low && value <= range.high;
}

bool PictureAdjustments::validRotation(int degrees)
{
    return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270;
}

QString PictureAdjustments::problem() const
{
    const std::pair<const Range*, double> values[] = {{&brightnessRange, brightness},
                                                      {&contrastRange, contrast},
                                                      {&saturationRange, saturation},
                                                      {&gammaRange, gamma}};
    for (const auto& value : values) {
        if (!inRange(*value.first, value.second))
            return QStringLiteral("%1 %2 is outside %3 to %4")
                .arg(QLatin1String(value.first->name))
                .arg(value.second)
                .arg(value.first->low)
                .arg(value.first->high);
    }
    if (!validRotation(rotation))
        return QStringLiteral("rotation %1 is not 0, 90, 180 or 270").arg(rotation);
    return QString();
}

QSize PictureAdjustments::turnedSize(const QSize& size) const
{
    return rotation == 90 || rotation == 270 ? size.transposed() : size;
}

bool PictureAdjustments::operator==(const PictureAdjustments& other) const
{
    return brightness == other.brightness && contrast == other.contrast &&
           saturation == other.saturation && gamma == other.gamma && rotation == other.rotation &&
           mirror == other.mirror;
}

namespace AdjustmentFormula {

quint8 gammaByte(double channel, bool gammaStep, double inverseGamma)
{
    double value = std::min(std::max(channel, 0.0), 255.0);
    if (gammaStep)
        value = 255 * std::pow(value / 255, inverseGamma);
    return quint8(std::min(std::max(std::floor(value + 0.5), 0.0), 255.0));
}

quint8 channelByte(const PictureAdjustments& adjustments, int r, int g, int b, int channel)
{
    const double rgb[3] = {double(r), double(g), double(b)};
    double value = rgb[channel];
    if (adjustments.saturation != PictureAdjustments::saturationRange.neutral)
        value = saturated(value, luma(rgb[0], rgb[1], rgb[2]), adjustments.saturation);
    if (adjustments.contrast != PictureAdjustments::contrastRange.neutral ||
        adjustments.brightness != PictureAdjustments::brightnessRange.neutral)
        value = contrasted(value, adjustments.contrast, adjustments.brightness);
    const bool gammaStep = adjustments.gamma != PictureAdjustments::gammaRange.neutral;
    return gammaByte(value, gammaStep, 1 / adjustments.gamma);
}

} // namespace AdjustmentFormula
