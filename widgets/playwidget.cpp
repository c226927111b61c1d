#include "playwidget.h"

PlayWidget::PlayWidget(QWidget* parent) : QGraphicsView(parent) {}

PlayWidget::~PlayWidget() = default;

void PlayWidget::resizeEvent(QResizeEvent*)
{
    update();
}
