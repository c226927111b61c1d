#include "edgeanchors.h"

#include <QEvent>
#include <QWidget>

EdgeAnchors::EdgeAnchors(QWidget* container, const QSize& formSize)
    : QObject(container), container(container), formSize(formSize)
{
    container->installEventFilter(this);
}

void EdgeAnchors::anchor(QWidget* child, Edges edges)
{
    // Placed from the next resize on: until the container has been laid out its size says
    // nothing yet.
    children.append({child, child->geometry(), edges});
}

bool EdgeAnchors::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == container && event->type() == QEvent::Resize) {
        for (const Anchored& anchored : qAsConst(children))
            place(anchored);
    }
    return QObject::eventFilter(watched, event);
}

void EdgeAnchors::place(const Anchored& anchored) const
{
    const QSize grown = container->size() - formSize;
    QRect geometry = anchored.formGeometry;
    if (anchored.edges.testFlag(Right)) {
        if (anchored.edges.testFlag(Left))
            geometry.setWidth(geometry.width() + grown.width());
        else
            geometry.translate(grown.width(), 0);
    }
    if (anchored.edges.testFlag(Bottom)) {
        if (anchored.edges.testFlag(Top))
            geometry.setHeight(geometry.height() + grown.height());
        else
            geometry.translate(0, grown.height());
    }
    if (anchored.child->geometry() != geometry)
        anchored.child->setGeometry(geometry);
}
