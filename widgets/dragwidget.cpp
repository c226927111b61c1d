#include "dragwidget.h"

#include "diagnostics.h"
#include "fan.h"
#include "panel.h"
#include "viewgeometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <QtGlobal>

#include <cmath>

namespace {

// Pixels that one wheel step adds to or takes from the frame's width.
constexpr int wheelStep = 6;

// Truncates toward zero like a plain conversion, but saturates instead of overflowing, so
// that odd panel or fan values (huge, infinite, not a number) cannot make the result undefined.
int truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(QWIDGETSIZE_MAX))
        return QWIDGETSIZE_MAX;
    if (value <= -double(QWIDGETSIZE_MAX))
        return -QWIDGETSIZE_MAX;
    return int(value);
}

// A widget size from a length in panel units or pixels: never negative.
int sizeOf(double value)
{
    return qMax(0, truncToInt(value));
}

// The wheel's value as the pre-5.15 QWheelEvent::delta() reported it: the larger of the two
// angle components, the vertical one when they tie.
int wheelDelta(const QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    return qAbs(angle.x()) > qAbs(angle.y()) ? angle.x() : angle.y();
}

// The frame size after one wheel step from `width`, for a panel of `panelWidth` (> 0) by
// `panelHeight`. The factor and both products pass through single precision: 300 x 100 at
// 156 wide gives a factor of 0.51999998, whose products only come out at 156 x 52 once they
// are rounded to float before truncation. The frame stops at 1 pixel wide and never gets a
// side below 1, so shrinking can go on without reaching an empty or negative size.
QSize steppedSize(double panelWidth, double panelHeight, int width, bool grow)
{
    const int target = qMax(1, grow ? width + wheelStep : width - wheelStep);
    const float factor = float(target / panelWidth);
    return QSize(qMax(1, sizeOf(float(panelWidth * factor))),
                 qMax(1, sizeOf(float(panelHeight * factor))));
}

QPen outlinePen(const QColor& color)
{
    return QPen(QBrush(color), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

} // namespace

DragWidget::DragWidget(QWidget* parent) : QWidget(parent, Qt::WindowFlags())
{
    setStyleSheet("background:red");
}

DragWidget::~DragWidget() = default;

void DragWidget::setPanel(Panel* panel)
{
    selectedPanel = panel;
    if (panel) {
        setFixedSize(sizeOf(panel->width), sizeOf(panel->height));
        const QWidget* parent = parentWidget();
        if (parent)
            move((parent->width() - width()) / 2, (parent->height() - height()) / 2);
    }
    update();
}

void DragWidget::fitInto(const QRect& r)
{
    // From the panel's own proportions: the frame's size, in whole pixels, has lost some of
    // them to an earlier fit (a portrait picture makes it small).
    QSize shape = size();
    if (selectedPanel && sizeOf(selectedPanel->width) > 0 && sizeOf(selectedPanel->height) > 0)
        shape = QSize(sizeOf(selectedPanel->width), sizeOf(selectedPanel->height));
    const QRect fitted = ViewGeometry::fitFrame(shape, r);
    setFixedSize(fitted.size());
    move(fitted.topLeft());
}

void DragWidget::setBounds(const QRect& r)
{
    bounds = r;
}

void DragWidget::mousePressEvent(QMouseEvent* event)
{
    pressPos = event->pos();
}

void DragWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    pressPos = event->pos();
    emit doubleClicked();
}

void DragWidget::mouseReleaseEvent(QMouseEvent*) {}

void DragWidget::mouseMoveEvent(QMouseEvent* event)
{
    // Keep the grabbed point under the cursor, as far as the bounds let the frame go.
    move(withGrip(mapToParent(event->pos() - pressPos)));
}

void DragWidget::wheelEvent(QWheelEvent* event)
{
    // Without a panel width there is no factor between frame and panel to step by.
    if (!selectedPanel || !(selectedPanel->width > 0.0))
        return;

    const QSize before = size();
    const QPoint at = pos();
    const bool grow = wheelDelta(event) > 0;
    setFixedSize(boundedStep(
        steppedSize(selectedPanel->width, selectedPanel->height, before.width(), grow), grow));
    const QSize after = size();
    move(withGrip(QPoint(at.x() + (before.width() - after.width()) / 2,
                         at.y() + (before.height() - after.height()) / 2)));
}

// The place nearest to `topLeft` where at least a grip of the frame (all of it, where it is
// smaller) lies inside the bounds each way.
QPoint DragWidget::withGrip(const QPoint& topLeft) const
{
    if (bounds.isNull())
        return topLeft;
    const int gripX = qMin(grip, width());
    const int gripY = qMin(grip, height());
    return QPoint(
        qBound(bounds.left() + gripX - width(), topLeft.x(), bounds.right() + 1 - gripX),
        qBound(bounds.top() + gripY - height(), topLeft.y(), bounds.bottom() + 1 - gripY));
}

// A wheel step that would take the frame's shorter side below a grip is not taken; one that
// would make it larger than the bounds stops at the largest frame that fits them.
QSize DragWidget::boundedStep(const QSize& stepped, bool grow) const
{
    if (bounds.isNull())
        return stepped;
    if (!grow)
        return qMin(stepped.width(), stepped.height()) < grip ? size() : stepped;
    if (stepped.width() <= bounds.width() && stepped.height() <= bounds.height())
        return stepped;
    const QSize largest = size().scaled(bounds.size(), Qt::KeepAspectRatio);
    return largest.width() > width() ? largest : size();
}

void DragWidget::paintEvent(QPaintEvent*)
{
    if (!selectedPanel)
        return;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);

    QPainterPath frame;
    frame.addRect(1, 1, width() - 2, height() - 2);
    painter.setPen(outlinePen(Qt::blue));
    painter.fillPath(frame, QBrush(Qt::transparent));
    painter.drawPath(frame);

    // One factor serves both directions: the frame always has the panel's proportions.
    const double scale = selectedPanel->width > 0.0 ? width() / selectedPanel->width : 0.0;
    qCDebug(windowLog, "scaleW%f scaleH:%f selectedPanel->height:%f", scale, scale,
            selectedPanel->height);
    if (!(scale > 0.0))
        return; // a panel without width has no scale to place its fans at

    const bool numbered = selectedPanel->fans.size() > 1;
    QFont numberFont;
    numberFont.setPointSize(20);
    int index = 0;
    for (const Fan* fan : qAsConst(selectedPanel->fans)) {
        const int diameter = truncToInt(fan->diameter);
        const int left = truncToInt(fan->x - fan->diameter * 0.5);
        const int top = truncToInt(fan->y - fan->diameter * 0.5);
        qCDebug(windowLog, "b width=%d,height=%d", width(), height());

        // The circle sits one pixel inside its square so the 2-pixel pen stays within it.
        const int x = truncToInt(left * scale + 1);
        const int y = truncToInt(top * scale + 1);
        const int w = truncToInt(diameter * scale - 2);
        const int h = truncToInt(diameter * scale - 2);
        QPainterPath outline;
        outline.addEllipse(x, y, w, h);
        const QColor colour = fan->z == 0 ? Qt::red : Qt::yellow;
        painter.setPen(outlinePen(colour));
        painter.fillPath(outline, QBrush(Qt::transparent));
        painter.drawPath(outline);
        if (numbered) {
            // Solid digits in a dark rim: readable on a picture of their own colour too.
            QPainterPath number;
            number.addText(QPointF(x + w / 2, y + h / 2), numberFont, QString::number(index));
            painter.strokePath(number, QPen(QColor(0, 0, 0, 200), 4.0, Qt::SolidLine, Qt::RoundCap,
                                            Qt::RoundJoin));
            painter.fillPath(number, colour);
        }
        ++index;
    }
}
