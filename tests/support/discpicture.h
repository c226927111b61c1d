#ifndef ROTAVIS_DISCPICTURE_H
#define ROTAVIS_DISCPICTURE_H

#include <QConicalGradient>
#include <QImage>
#include <QPainter>
#include <QSize>

#include <cmath>

// A picture like the view of a panel's fans: black, with coloured discs whose colours turn and
// whose places drift with `step`, so that consecutive pictures differ everywhere a disc is.
inline QImage discPicture(const QSize& size, int step)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double unit = std::min(size.width(), size.height()) / 10.0;
    const QPointF centres[] = {{0.3, 0.3}, {0.7, 0.35}, {0.35, 0.72}, {0.72, 0.7}};
    for (int disc = 0; disc < 4; ++disc) {
        const QPointF centre(centres[disc].x() * size.width() + unit * std::sin(step * 0.2 + disc),
                             centres[disc].y() * size.height() +
                                 unit * std::cos(step * 0.15 + disc));
        QConicalGradient colours(centre, step * 9.0 + disc * 90.0);
        colours.setColorAt(0, QColor::fromHsv(disc * 90, 255, 255));
        colours.setColorAt(0.5, QColor::fromHsv((disc * 90 + 150) % 360, 200, 230));
        colours.setColorAt(1, QColor::fromHsv(disc * 90, 255, 255));
        painter.setBrush(colours);
        painter.drawEllipse(centre, 1.8 * unit, 1.8 * unit);
    }
    painter.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

#endif
