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
class DragWidget : public QWidget
{
    Q_OBJECT

public:
    explicit DragWidget(QWidget* parent = nullptr);
    ~DragWidget() override;

    // Shows `panel` at one pixel per panel unit, centred in the parent.
    void setPanel(Panel* panel);
    // Scales the frame, keeping its proportions, to the largest size inside `r`, centred in it.
    void fitInto(const QRect& r);

    Panel* selectedPanel = nullptr; // not owned
    QPoint pressPos;                // widget coordinates of the last button press

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

#endif
