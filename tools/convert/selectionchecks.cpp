#include "selectionchecks.h"

#include "panel.h"
#include "panellimits.h"
#include "sampling.h"

#include <QRect>

#include <cmath>

namespace SelectionChecks {

namespace {

// How far the selection's proportions may be from the panel's before the stretch is worth a
// word: a selection typed in whole pixels rarely meets them exactly, and within 1 % the
// stretch does not show.
constexpr double proportionTolerance = 0.01;

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

// Width to height, as "2:1".
QString proportions(double width, double height)
{
    return QString::number(width / height, 'g', 4) + QStringLiteral(":1");
}

} // namespace

QString text(const QRectF& selection)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(number(selection.x()), number(selection.y()), number(selection.width()),
             number(selection.height()));
}

QString valueProblem(const QRectF& selection)
{
    const struct
    {
        const char* name;
        double value;
    } values[] = {{"X", selection.x()},
                  {"Y", selection.y()},
                  {"W", selection.width()},
                  {"H", selection.height()}};
    const double limit = PanelLimits::maxSelectionExtent;
    for (const auto& value : values) {
        if (!(std::fabs(value.value) <= limit))
            return QStringLiteral("--selection: %1 is %2; each number must lie from %3 to %4")
                .arg(QLatin1String(value.name), number(value.value), number(-limit), number(limit));
    }
    for (const auto& side : {values[2], values[3]}) {
        if (!(side.value > 0))
            return QStringLiteral("--selection: %1 is %2; a selection has a width and height "
                                  "above 0")
                .arg(QLatin1String(side.name), number(side.value));
    }
    return QString();
}

QString outsideProblem(const QRectF& selection, const QSize& picture)
{
    // The pixels the run copies: the selection rounded, at least one pixel each way.
    if (selectedRegion(selection).intersects(QRect(QPoint(0, 0), picture)))
        return QString();
    return QStringLiteral("--selection %1 lies wholly outside the %2 x %3 picture")
        .arg(text(selection))
        .arg(picture.width())
        .arg(picture.height());
}

QString proportionWarning(const QRectF& selection, const Panel& panel)
{
    const double selected = selection.width() / selection.height();
    const double shown = panel.width / panel.height;
    if (!(std::fabs(selected / shown - 1) > proportionTolerance))
        return QString();
    return QStringLiteral("--selection %1 is %2 (width to height) while panel \"%3\" is %4: "
                          "the fans show the picture stretched (the window keeps the panel's "
                          "proportions)")
        .arg(text(selection), proportions(selection.width(), selection.height()), panel.model,
             proportions(panel.width, panel.height));
}

} // namespace SelectionChecks
