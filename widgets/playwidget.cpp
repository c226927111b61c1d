#include "playwidget.h"

#include "diagnostics.h"
#include "viewgeometry.h"

#include <QDebug>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QImage>
#include <QPixmap>

PlayWidget::PlayWidget(QWidget* parent)
    : QGraphicsView(parent), pictureScene(new QGraphicsScene(this)),
      shown(pictureScene->addPixmap(QPixmap()))
{
    setScene(pictureScene);
    setBackgroundBrush(Qt::black);
}

PlayWidget::~PlayWidget() = default;

void PlayWidget::fitPicture(const QSize& picture)
{
    const ViewGeometry::PictureFit fit = ViewGeometry::fitPicture(size(), picture);
    if (fit.imageRect.isNull()) {
        clearPicture();
        return;
    }
    scale = fit.scale;
    imageRect = fit.imageRect;
    qCDebug(windowLog) << "rect:" << imageRect << "scale:" << scale;
    // The scene's origin is the picture's top-left corner.
    pictureScene->setSceneRect(-imageRect.x(), -imageRect.y(), width(), height());
}

void PlayWidget::clearPicture()
{
    scale = 0.0;
    imageRect = QRect();
    pictureScene->setSceneRect(0, 0, width(), height());
    shown->setPixmap(QPixmap());
}

void PlayWidget::showFrame(const QImage& frame)
{
    if (frame.isNull() || !(scale > 0.0))
        return;
    showPixmap(QPixmap::fromImage(frame).scaled(int(frame.width() * scale),
                                                int(frame.height() * scale), Qt::IgnoreAspectRatio,
                                                Qt::FastTransformation),
               imageRect.topLeft());
}

void PlayWidget::showImageAt(const QImage& image, const QPoint& at)
{
    showPixmap(QPixmap::fromImage(image), at);
}

void PlayWidget::showPixmap(const QPixmap& pixmap, const QPoint& viewPos)
{
    const QRectF before = shown->sceneBoundingRect();
    shown->setPixmap(pixmap);
    shown->setPos(viewPos - imageRect.topLeft());
    // A picture that takes another place or size leaves nothing of the one before: the whole
    // view is painted afresh, on black.
    if (shown->sceneBoundingRect() != before)
        viewport()->update();
}

void PlayWidget::resizeEvent(QResizeEvent*)
{
    update();
    emit resized();
}

void PlayWidget::mouseDoubleClickEvent(QMouseEvent*)
{
    emit doubleClicked();
}
