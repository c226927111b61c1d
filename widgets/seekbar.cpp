#include "seekbar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

SeekBar::SeekBar(QWidget* parent) : QProgressBar(parent) {}

void SeekBar::setSeekable(bool on)
{
    seekable = on;
    setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void SeekBar::setMarks(int inPoint, int outPoint)
{
    inMark = inPoint;
    outMark = outPoint;
    update();
}

int SeekBar::valueAt(int x) const
{
    const double fraction = std::clamp(double(x) / std::max(1, width() - 1), 0.0, 1.0);
    return minimum() + int(fraction * (double(maximum()) - minimum()) + 0.5);
}

int SeekBar::xOf(int value) const
{
    const double span = std::max(1.0, double(maximum()) - minimum());
    return int((value - minimum()) / span * (width() - 1) + 0.5);
}

void SeekBar::mousePressEvent(QMouseEvent* event)
{
    if (seekable && event->button() == Qt::LeftButton)
        emit seekRequested(valueAt(event->pos().x()));
    else
        QProgressBar::mousePressEvent(event);
}

void SeekBar::mouseMoveEvent(QMouseEvent* event)
{
    if (seekable && (event->buttons() & Qt::LeftButton))
        emit seekRequested(valueAt(event->pos().x()));
    else
        QProgressBar::mouseMoveEvent(event);
}

// The in point as a bracket opening to the right, the out point as one opening to the left,
// the part between them underlined.
void SeekBar::paintEvent(QPaintEvent* event)
{
    QProgressBar::paintEvent(event);
    if (inMark < 0 && outMark < 0)
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight).darker(160), 2));
    const int bottom = height() - 2;
    const int from = inMark >= 0 ? xOf(inMark) : 0;
    const int to = outMark >= 0 ? xOf(outMark) : width() - 1;
    painter.drawLine(from, bottom, to, bottom);
    constexpr int arm = 4;
    if (inMark >= 0) {
        painter.drawLine(from, 1, from, bottom);
        painter.drawLine(from, 1, from + arm, 1);
    }
    if (outMark >= 0) {
        painter.drawLine(to, 1, to, bottom);
        painter.drawLine(to - arm, 1, to, 1);
    }
}
