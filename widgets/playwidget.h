#ifndef ROTAVIS_PLAYWIDGET_H
#define ROTAVIS_PLAYWIDGET_H

#include <QGraphicsView>
#include <QRect>

class QResizeEvent;

// The view that shows the opened picture and the preview frames. It remembers where and at
// what scale the current picture was placed, so the window can fit the selection frame onto
// the picture and map the frame back to source pixels.
class PlayWidget : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PlayWidget(QWidget* parent = nullptr);
    ~PlayWidget() override;

    double scale = 0.0; // view pixels per source pixel of the picture shown
    QRect imageRect;    // where the picture lies in the view; null until one is placed

protected:
    // Only repaints: the picture stays where the window placed it, neither re-centred nor
    // re-scaled by the view.
    void resizeEvent(QResizeEvent* event) override;
};

#endif
