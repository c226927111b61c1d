#include "frontfanblending.h"

#include "fan.h"
#include "panel.h"
#include "sampling.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QStringList>

FrontFanGeometry::FrontFanGeometry(const Fan& fan, int edgeOffset)
    : D(imageScale * fan.diameter), R(0.5 * D), edge(edgeOffset), left(imageScale * fan.x - R),
      top(imageScale * fan.y - R)
{
}

FrontFanPaint::FrontFanPaint(const Panel& panel)
{
    for (const Fan* fan : panel.fans) {
        if (fan->z != 1)
            continue;
        const auto [D, R, edge, left, top] = FrontFanGeometry(*fan, panel.edgeOffset);
        const int halfEdge = edge / 2;
        const double k = 1 - edge / D;
        const double cx = int(left + R);
        const double cy = int(top + R);

        QRadialGradient disc(cx, cy, R, cx, cy);
        disc.setColorAt(0.0, Qt::black);
        addColorStops(disc, panel.colorOffset0, k);

        QRadialGradient rim(cx, cy, imageScale * fan->diameter * 0.5, cx, cy);
        rim.setColorAt(0.0, QColor(0, 0, 0, 0));
        addColorStops(rim, panel.colorOffset1, k);

        QPainterPath inner;
        inner.addEllipse(QRectF(left + halfEdge, top + halfEdge, D - edge, D - edge));
        QPainterPath outer;
        outer.setFillRule(Qt::WindingFill);
        outer.addEllipse(QRectF(left, top, D, D));

        fans.push_back({QBrush(disc), QBrush(rim), outer, outer.subtracted(inner)});
    }
}

void FrontFanPaint::paint(QPainter& painter0, QPainter& painter1) const
{
    for (const FrontFan& fan : fans) {
        painter0.setBrush(fan.disc);
        painter0.drawPath(fan.outer);
        painter1.setBrush(fan.rim);
        painter1.setPen(Qt::NoPen);
        painter1.drawPath(fan.ring);
    }
}

void FrontFanPaint::paint(QImage& frameImage_z0, QImage& frameImage_z1) const
{
    // Opening a painter detaches the image; without a front fan there is nothing to pay for.
    if (fans.empty() || frameImage_z0.isNull() || frameImage_z1.isNull())
        return;
    QPainter painter0(&frameImage_z0);
    painter0.setRenderHint(QPainter::Antialiasing);
    painter0.setPen(Qt::NoPen);
    QPainter painter1(&frameImage_z1);
    painter1.setRenderHint(QPainter::Antialiasing);
    paint(painter0, painter1);
    painter0.end();
    painter1.end();
}

void paintFrontFanBlending(QPainter& painter0, QPainter& painter1, const Panel& panel)
{
    FrontFanPaint(panel).paint(painter0, painter1);
}

void paintFrontFanBlending(QImage& frameImage_z0, QImage& frameImage_z1, const Panel& panel)
{
    FrontFanPaint(panel).paint(frameImage_z0, frameImage_z1);
}

void addColorStops(QGradient& gradient, const QString& stops, double k)
{
    const QStringList parts = stops.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    for (const QString& stop : parts) {
        const int colon = stop.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        // The position passes through single precision; text that is no number reads as 0.
        const float p = stop.left(colon).toFloat();

        QString colour = stop.section(QLatin1Char(':'), 1, 1);
        colour.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        const QStringList components = colour.split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (components.size() < 4)
            continue;

        const double position = k + (1 - k) * double(p);
        // QGradient refuses these with a warning; NaN it would even take.
        if (!(position >= 0.0 && position <= 1.0))
            continue;
        QColor color;
        color.setRgb(components.at(0).toInt(), components.at(1).toInt(), components.at(2).toInt(),
                     components.at(3).toInt());
        gradient.setColorAt(position, color);
    }
}
