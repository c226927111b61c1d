#ifndef ROTAVIS_DRAGWIDGET_H
#define ROTAVIS_DRAGWIDGET_H

#include <QPoint>
#include <QWidget>

class Panel;
class QMouseEvent;
class QPaintEvent;
class QWheelEvent;

// The selection frame laid over the picture: it has the proportions of the selected panel,
// shows the panel's outline and fans, follows the mouse while dragged and grows or shrinks
// by six pixels per wheel step around its centre. Its geometry, in its parent's coordinates,
// is what the window turns into the panel's selection.
//
// Given bounds, the operator cannot lose it: a drag keeps a grip of it inside the bounds,
// and the wheel neither shrinks it below a grip nor grows it past the bounds.
class DragWidget : public QWidget
{
    Q_OBJECT

public:
    explicit DragWidget(QWidget* parent = nullptr);
    ~DragWidget() override;

    // Shows `panel` at one pixel per panel unit, centred in the parent.
    void setPanel(Panel* panel);
    // Scales the frame, with the panel's proportions (its own without a panel), to the largest
    // size inside `r`, centred in it.
    void fitInto(const QRect& r);
    // The rectangle, in the parent's coordinates, that the operator's drags and wheel steps
    // keep the frame in touch with; null (the default) leaves them unbounded.
    void setBounds(const QRect& bounds);

    // The least of the frame, in pixels each way, that a drag leaves inside the bounds, and
    // the shortest side that the wheel shrinks it to.
    static constexpr int grip = 16;

    Panel* selectedPanel = nullptr; // not owned
    QPoint pressPos;                // widget coordinates of the last button press

signals:
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint withGrip(const QPoint& topLeft) const;
    QSize boundedStep(const QSize& stepped, bool grow) const;

    QRect bounds;
};

#endif
