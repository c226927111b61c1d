#ifndef ROTAVIS_COLOURADJUSTMENT_H
#define ROTAVIS_COLOURADJUSTMENT_H

#include "pictureadjustments.h"
#include "pixelruns.h"
#include "vectorkernel.h"

#include <QtGlobal>

#include <array>
#include <vector>

// The byte a channel value becomes in the last colour steps (clamp, gamma, rounding), found
// without calling pow per value. The byte grows with the value, so it is the number of bytes
// whose first value lies at or below the value; those first values are searched once, on the
// formula itself, and the bytes at the start of short stretches of values are kept so that
// a look-up only steps over the few bytes that begin inside a stretch.
class GammaSteps
{
public:
    GammaSteps(bool gammaStep, double inverseGamma);

    // The byte of `value`, a channel value already clamped to [0, 255].
    quint8 byteOf(double value) const
    {
        const Stretch& stretch = stretches[size_t(value * stretchesPerUnit)];
        int byte = stretch.start + (value >= stretch.next);
        if (stretch.crowded) { // rare: where the curve is steep
            while (byte < 255 && value >= firstValue[size_t(byte) + 1])
                ++byte;
        }
        return quint8(byte);
    }

    // The smallest value that gives `byte` or more (1 to 255; 256 gives infinity).
    double firstValueOf(int byte) const { return firstValue[size_t(byte)]; }

private:
    static constexpr int stretchesPerUnit = 16;
    // The values from i / stretchesPerUnit to just below (i + 1) / stretchesPerUnit.
    struct Stretch
    {
        double next;  // the first value of the byte after `start`
        quint8 start; // the byte at the stretch's first value
        bool crowded; // more than one byte begins inside the stretch
    };
    std::array<double, 257> firstValue{}; // the smallest value giving at least that byte
    std::vector<Stretch> stretches;
};

// The single-precision look-up of the AVX2 path: the channel values are worked out in floats,
// whose error is bounded (`margin`), and their bytes read from a table of very short stretches
// of values. A stretch that lies within the margin of the first value of a byte is marked
// doubtful: its values are worked out again in double precision, so that every byte is the
// formula's.
struct FloatSteps
{
    static constexpr int stretchesPerUnit = 512;
    // Per stretch: its byte, or `doubtful`.
    static constexpr quint32 doubtful = 0x80000000u;
    std::vector<qint32> stretches;
    // The values are clamped to this range, which holds [0, 255] with a stretch to spare on
    // either side, so that values clamped from beyond the range are never doubtful.
    static constexpr float lowest = -1;
    static constexpr float highest = 256;
    // Steps 1 and 2 as value = channelFactor c + lumaFactor Y + offset.
    float channelFactor = 0;
    float lumaFactor = 0;
    float offset = 0;
};

// The colour steps of the picture adjustments, for whole RGB888 pictures, exactly as the
// formula gives them. With the saturation unchanged every channel goes through one table of
// 256 bytes; otherwise each pixel's channels are worked out as the formula says: in double
// precision by the portable loop, in single precision eight pixels at a time (with the doubtful
// values again in double) by the AVX2 loop, and their bytes looked up in the gamma steps.
class ColourAdjustment
{
public:
    explicit ColourAdjustment(const PictureAdjustments& adjustments,
                              VectorKernel kernel = selectedVectorKernel());

    // Whether the colour steps leave every picture as it is.
    bool changesNothing() const { return unchanged; }

    // Adjusts `height` rows of `width` pixels (three bytes each), `rowBytes` apart, in place.
    void apply(uchar* pixels, int width, int height, qsizetype rowBytes) const;
    // Adjusts the pixels of the runs from `first` to before `last` in the picture at
    // `pixels`, rows `rowBytes` apart.
    void applyRuns(uchar* pixels, qsizetype rowBytes, const PixelRun* first,
                   const PixelRun* last) const;

    // The values of steps 1 and 2 that the pixel-wise path works with.
    struct PixelSteps
    {
        double saturation;
        double contrast;
        double brightness;
        bool contrastStep;
    };

private:
    void applyRow(uchar* row, int width) const;
    void prepareFloatSteps();

    bool unchanged;
    bool perChannel; // the saturation is unchanged: one table serves every channel
    PixelSteps steps;
    GammaSteps gamma;
    std::array<quint8, 256> table{};
    VectorKernel kernel;
    bool floatPath = false; // the values' float error is small enough for FloatSteps
    FloatSteps floatSteps;
};

// The pixel-wise path: one pixel `in` by the formula in double precision into `out` (which
// may be `in`), and the AVX2 loop over a row (in a file of its own, compiled for AVX2), which
// leaves its doubtful pixels to the first.
void adjustPixel(const uchar* in, uchar* out, const ColourAdjustment::PixelSteps& steps,
                 const GammaSteps& gamma);
#ifdef ROTAVIS_X86_KERNELS
void adjustRowAvx2(uchar* row, int width, const ColourAdjustment::PixelSteps& steps,
                   const GammaSteps& gamma, const FloatSteps& floatSteps);
#endif

#endif
