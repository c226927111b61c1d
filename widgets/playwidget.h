#ifndef ROTAVIS_PLAYWIDGET_H
#define ROTAVIS_PLAYWIDGET_H

#include <QGraphicsView>
#include <QRect>

class QGraphicsPixmapItem;
class QGraphicsScene;
class QImage;
class QMouseEvent;
class QResizeEvent;

// The view that shows the opened picture and the preview frames. It remembers where and at
// what scale the current picture was placed, so the window can fit the selection frame onto
// the picture and map the frame back to source pixels. It owns the scene it shows.
class PlayWidget : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PlayWidget(QWidget* parent = nullptr);
    ~PlayWidget() override;

    // Fits a picture of size `picture` into the view, keeping its proportions, and centres
    // it: sets scale and imageRect, for showFrame(). A picture without area clears the view.
    void fitPicture(const QSize& picture);
    // Nothing placed: an empty view, scale 0 and a null imageRect.
    void clearPicture();
    // Shows `frame` at the current scale with its top-left corner on the picture's.
    void showFrame(const QImage& frame);
    // Shows `image` unscaled with its top-left corner at `at`, in view coordinates.
    void showImageAt(const QImage& image, const QPoint& at);

    double scale = 0.0; // view pixels per source pixel of the picture shown
    QRect imageRect;    // where the picture lies in the view; null until one is placed

signals:
    void doubleClicked();
    // The view's size changed; the picture is still where it was placed.
    void resized();

protected:
    // Only repaints and tells: the picture stays where the window placed it, neither
    // re-centred nor re-scaled by the view, until the window places it anew.
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void showPixmap(const QPixmap& pixmap, const QPoint& viewPos);

    QGraphicsScene* pictureScene; // a child of the view
    QGraphicsPixmapItem* shown;   // the scene's one item
};

#endif
