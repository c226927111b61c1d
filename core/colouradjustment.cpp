#include "colouradjustment.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

quint64 bitsOf(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double fromBits(quint64 bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

GammaSteps::GammaSteps(bool gammaStep, double inverseGamma)
{
    const auto byteOfValue = [&](double value) {
        return AdjustmentFormula::gammaByte(value, gammaStep, inverseGamma);
    };
    // Non-negative doubles are ordered as their bit patterns are, so the first value of each
    // byte is found by halving the patterns between the first value of the byte before and
    // 255, which gives 255.
    quint64 low = bitsOf(0.0);
    for (int byte = 1; byte <= 255; ++byte) {
        quint64 high = bitsOf(255.0);
        while (high - low > 1) {
            const quint64 middle = low + (high - low) / 2;
            if (byteOfValue(fromBits(middle)) >= byte)
                high = middle;
            else
                low = middle;
        }
        firstValue[size_t(byte)] = fromBits(high);
    }
    // No value reaches the byte after 255.
    firstValue[256] = std::numeric_limits<double>::infinity();
    stretches.resize(size_t(255 * stretchesPerUnit + 1));
    for (size_t i = 0; i < stretches.size(); ++i) {
        const quint8 start = byteOfValue(double(i) / stretchesPerUnit);
        const double end = double(i + 1) / stretchesPerUnit;
        stretches[i] = {firstValue[size_t(start) + 1], start,
                        start < 255 && firstValue[size_t(start) + 2] < end};
    }
}

ColourAdjustment::ColourAdjustment(const PictureAdjustments& adjustments, VectorKernel kernel)
    : unchanged(adjustments.colourUnchanged()),
      perChannel(adjustments.saturation == PictureAdjustments::saturationRange.neutral),
      steps{adjustments.saturation, adjustments.contrast, adjustments.brightness,
            adjustments.contrast != PictureAdjustments::contrastRange.neutral ||
                adjustments.brightness != PictureAdjustments::brightnessRange.neutral},
      gamma(adjustments.gamma != PictureAdjustments::gammaRange.neutral, 1 / adjustments.gamma),
      kernel(usableHere(kernel))
{
    if (perChannel) {
        for (int value = 0; value < 256; ++value)
            table[size_t(value)] = AdjustmentFormula::channelByte(adjustments, value, 0, 0, 0);
    } else if (usesAvx2(this->kernel)) {
        prepareFloatSteps();
    }
}

// The float path works the two steps out as one affine map of the channel and the luma,
// c2 = a c + b Y + c0, with fused multiply-adds. How far its value can lie from the formula's
// double: each rounding of single precision is at most u times the value rounded, and the
// error of the luma is carried on by b.
void ColourAdjustment::prepareFloatSteps()
{
#ifdef ROTAVIS_X86_KERNELS
    if (!__builtin_cpu_supports("fma"))
        return;
#else
    return; // no float loop to prepare for
#endif
    const double k = steps.contrastStep ? steps.contrast : 1.0;
    const double b = steps.contrastStep ? steps.brightness : 0.0;
    const double s = steps.saturation;
    floatSteps.channelFactor = float(k * s);
    floatSteps.lumaFactor = float(k * (1 - s));
    floatSteps.offset = float(127.5 * (1 - k) + 255 * b);

    const double u = std::ldexp(1.0, -24);
    const double a = std::fabs(k * s);
    const double l = std::fabs(k * (1 - s));
    const double c0 = std::fabs(127.5 * (1 - k) + 255 * b);
    const double lumaError = 1024 * u;
    const double lumaTerm = l * 255 + c0;
    const double lumaTermError = l * lumaError + u * l * 255 + u * c0 + u * lumaTerm;
    const double valueError = lumaTermError + u * a * 255 + u * (a * 255 + lumaTerm);
    // Twice that (which also covers rounding the stretch's number), and the double's own.
    const double margin = 2 * valueError + 1e-6;
    // Beyond a few stretches most values would be doubtful: the double loop does as well.
    if (margin >= 8.0 / FloatSteps::stretchesPerUnit)
        return;
    floatPath = true;
    // The stretches run from the lowest value, which stands for all below 0, to the highest,
    // for all above 255; those beyond the range hold no first value of a byte. The stretches
    // and the first values both grow: one pass over both.
    const int count =
        int(FloatSteps::highest - FloatSteps::lowest) * FloatSteps::stretchesPerUnit + 1;
    floatSteps.stretches.resize(size_t(count));
    int byte = 0; // the byte of the values just above the stretch's low end
    for (int i = 0; i < count; ++i) {
        const double start = FloatSteps::lowest + double(i) / FloatSteps::stretchesPerUnit;
        const double low = start - margin;
        const double high = start + 1.0 / FloatSteps::stretchesPerUnit + margin;
        while (byte < 255 && gamma.firstValueOf(byte + 1) <= low)
            ++byte;
        // Clean where the next byte begins beyond the stretch and its margins.
        const bool clean = byte == 255 || gamma.firstValueOf(byte + 1) >= high;
        floatSteps.stretches[size_t(i)] = clean ? qint32(byte) : qint32(FloatSteps::doubtful);
    }
}

void ColourAdjustment::apply(uchar* pixels, int width, int height, qsizetype rowBytes) const
{
    if (unchanged)
        return;
    for (int y = 0; y < height; ++y)
        applyRow(pixels + y * rowBytes, width);
}

void ColourAdjustment::applyRuns(uchar* pixels, qsizetype rowBytes, const PixelRun* first,
                                 const PixelRun* last) const
{
    if (unchanged)
        return;
    for (const PixelRun* run = first; run != last; ++run)
        applyRow(pixels + run->row * rowBytes + run->begin * 3, run->end - run->begin);
}

void ColourAdjustment::applyRow(uchar* row, int width) const
{
    if (perChannel) {
        uchar* const end = row + size_t(width) * 3;
        for (uchar* byte = row; byte != end; ++byte)
            *byte = table[*byte];
        return;
    }
#ifdef ROTAVIS_X86_KERNELS
    if (floatPath) {
        adjustRowAvx2(row, width, steps, gamma, floatSteps);
        return;
    }
#endif
    for (uchar* pixel = row; pixel != row + size_t(width) * 3; pixel += 3)
        adjustPixel(pixel, pixel, steps, gamma);
}

void adjustPixel(const uchar* in, uchar* out, const ColourAdjustment::PixelSteps& steps,
                 const GammaSteps& gamma)
{
    using namespace AdjustmentFormula;
    const double rgb[3] = {double(in[0]), double(in[1]), double(in[2])};
    const double y = luma(rgb[0], rgb[1], rgb[2]);
    for (int c = 0; c < 3; ++c) {
        double value = saturated(rgb[c], y, steps.saturation);
        if (steps.contrastStep)
            value = contrasted(value, steps.contrast, steps.brightness);
        out[c] = gamma.byteOf(std::min(std::max(value, 0.0), 255.0));
    }
}
