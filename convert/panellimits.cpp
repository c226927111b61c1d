#include "panellimits.h"

#include "fan.h"
#include "panel.h"
#include "sampling.h"

#include <QCoreApplication>

#include <climits>
#include <cmath>

namespace PanelLimits {

namespace {

// The texts are in the language of the loaded catalogue: the window's box shows them.
QString text(const char* source)
{
    return QCoreApplication::translate("PanelLimits", source);
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

// The side of the working picture for a panel length, if it is one the run can make.
bool workingSide(double panelLength, double* pixels)
{
    if (!std::isfinite(panelLength) || !(panelLength > 0))
        return false;
    *pixels = std::trunc(double(imageScale) * panelLength);
    return *pixels >= 1 && *pixels <= maxWorkingSide;
}

QString fanProblem(const Fan& fan, int index)
{
    const QString which = text(QT_TRANSLATE_NOOP("PanelLimits", "fan %1")).arg(index);
    if (fan.ledpcs < 1 || fan.ledpcs > maxLeds)
        return text(QT_TRANSLATE_NOOP("PanelLimits", "%1 has %2 LEDs; a blade has 1 to %3"))
            .arg(which)
            .arg(fan.ledpcs)
            .arg(maxLeds);
    const struct
    {
        const char* name;
        double value;
    } lengths[] = {{"x", fan.x}, {"y", fan.y}, {"diameter", fan.diameter}};
    for (const auto& length : lengths) {
        if (!std::isfinite(length.value) || std::fabs(length.value) > maxFanExtent)
            return text(QT_TRANSLATE_NOOP("PanelLimits",
                                          "%1 has %2 = %3; it must be a number from %4 to %5"))
                .arg(which, QLatin1String(length.name), number(length.value), number(-maxFanExtent),
                     number(maxFanExtent));
    }
    return QString();
}

} // namespace

QString problem(const Panel& panel)
{
    const QString name = text(QT_TRANSLATE_NOOP("PanelLimits", "panel \"%1\"")).arg(panel.model);
    if (panel.fans.isEmpty())
        return text(QT_TRANSLATE_NOOP("PanelLimits", "%1 has no fans")).arg(name);
    // An infinite rate is above the limit too; rates that are not positive or no number
    // play every picture once (RateConversion) and stay usable.
    if (panel.hz > maxRate)
        return text(QT_TRANSLATE_NOOP("PanelLimits", "%1 plays at %2 Hz; a panel plays at most "
                                                     "%3 frames a second"))
            .arg(name, number(panel.hz), number(maxRate));

    double w = 0;
    double h = 0;
    const bool widthUsable = workingSide(panel.width, &w);
    const bool heightUsable = workingSide(panel.height, &h);
    if (!widthUsable || !heightUsable)
        return text(QT_TRANSLATE_NOOP("PanelLimits",
                                      "%1 is %2 x %3 units; each side must be a number above 0 "
                                      "that makes 1 to %4 pixels of the working picture at %5 "
                                      "pixels a unit"))
            .arg(name, number(panel.width), number(panel.height))
            .arg(maxWorkingSide)
            .arg(double(imageScale));
    if (w * h * 3 > double(INT_MAX))
        return text(QT_TRANSLATE_NOOP("PanelLimits",
                                      "%1 is %2 x %3 units; its working picture would be larger "
                                      "than 2 GB"))
            .arg(name, number(panel.width), number(panel.height));

    for (int i = 0; i < panel.fans.size(); ++i) {
        const QString fan = fanProblem(*panel.fans.at(i), i);
        if (!fan.isEmpty())
            return QStringLiteral("%1: %2").arg(name, fan);
    }
    return QString();
}

} // namespace PanelLimits
