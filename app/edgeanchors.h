#ifndef ROTAVIS_EDGEANCHORS_H
#define ROTAVIS_EDGEANCHORS_H

#include <QFlags>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

// Keeps the children of a widget placed against its edges while it is resized: a child keeps
// its distance from the edges it is anchored to, and stretches when it is anchored to two
// opposite edges. At the container's form size every child stands where it was anchored.
class EdgeAnchors : public QObject
{
public:
    enum Edge
    {
        Left = 1,
        Top = 2,
        Right = 4,
        Bottom = 8,
        All = Left | Top | Right | Bottom
    };
    Q_DECLARE_FLAGS(Edges, Edge)

    // `formSize`: the size of `container` at which its children stand where they stand now.
    EdgeAnchors(QWidget* container, const QSize& formSize);

    // Anchors `child` as it stands now, at the form size. A child anchored to neither of two
    // opposite edges keeps to the first (left, top).
    void anchor(QWidget* child, Edges edges);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Anchored
    {
        QWidget* child;
        QRect formGeometry;
        Edges edges;
    };

    void place(const Anchored& anchored) const;

    QWidget* container;
    QSize formSize;
    QVector<Anchored> children;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(EdgeAnchors::Edges)

#endif
