#ifndef ROTAVIS_PICTUREADJUSTMENTS_H
#define ROTAVIS_PICTUREADJUSTMENTS_H

#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// How the decoded pictures are changed before the selection: their colours (saturation, then
// contrast and brightness, then gamma, each 8-bit channel through the formula below) and
// then their turn (a rotation by quarter turns clockwise, then a mirror left to right). The
// window, the converter, the output run and the fan view all take the pictures as these
// values make them. The neutral values leave a picture as it is.
struct PictureAdjustments
{
    // One colour value: its name (as the converter's option names it), range and neutral value.
    struct Range
    {
        const char* name;
        double low;
        double neutral;
        double high;
    };
    static constexpr Range brightnessRange{"brightness", -1.0, 0.0, 1.0};
    static constexpr Range contrastRange{"contrast", 0.0, 1.0, 3.0};
    static constexpr Range saturationRange{"saturation", 0.0, 1.0, 3.0};
    static constexpr Range gammaRange{"gamma", 0.2, 1.0, 5.0};

    double brightness = brightnessRange.neutral;
    double contrast = contrastRange.neutral;
    double saturation = saturationRange.neutral;
    double gamma = gammaRange.neutral;
    int rotation = 0; // clockwise degrees: 0, 90, 180 or 270
    bool mirror = false;

    bool colourUnchanged() const;
    bool turnUnchanged() const { return rotation == 0 && !mirror; }
    bool unchanged() const { return colourUnchanged() && turnUnchanged(); }

    // Why these values cannot be used ("gamma 7 is outside 0.2 to 5"); empty when they can.
    QString problem() const;
    static bool validRotation(int degrees);
    static bool inRange(const Range& range, double value);

    // The size of a picture of `size` after the turn.
    QSize turnedSize(const QSize& size) const;

    bool operator==(const PictureAdjustments& other) const;
    bool operator!=(const PictureAdjustments& other) const { return !(*this == other); }
};

// The colour formula, step by step in double precision, exactly as the adjustments are
// defined; the fast code is built from these and held to them.
namespace AdjustmentFormula {

// Step 1, saturation: every channel moved away from (or towards) the pixel's luma.
inline double luma(double r, double g, double b)
{
    return 0.299 * r + 0.587 * g + 0.114 * b;
}
inline double saturated(double channel, double luma, double saturation)
{
    return luma + saturation * (channel - luma);
}

// Step 2, contrast around the middle grey, then brightness.
inline double contrasted(double channel, double contrast, double brightness)
{
    return (channel - 127.5) * contrast + 127.5 + 255 * brightness;
}

// Steps 3 and 4: a channel value after the steps before (clamped here), through the gamma
// curve when `gammaStep`, to its byte.
quint8 gammaByte(double channel, bool gammaStep, double inverseGamma);

// One channel (0 red, 1 green, 2 blue) of the pixel r, g, b after all colour steps.
quint8 channelByte(const PictureAdjustments& adjustments, int r, int g, int b, int channel);

} // namespace AdjustmentFormula

#endif
