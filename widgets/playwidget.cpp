#include "playwidget.h"

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
    qDebug() << "rect:" << imageRect << "scale:" << scale;
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
    shown->setPixmap(pixmap);
    shown->setPos(viewPos - imageRect.topLeft());
}

void PlayWidget::resizeEvent(QResizeEvent*)
{
    update();
}

void PlayWidget::mouseDoubleClickEvent(QMouseEvent*)
{
    emit doubleClicked();
}
