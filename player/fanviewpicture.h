#ifndef ROTAVIS_FANVIEWPICTURE_H
#define ROTAVIS_FANVIEWPICTURE_H

#include "fandiscmap.h"
#include "fanframelines.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QVector>

#include <memory>
#include <vector>

class Panel;

// What the fans of a panel show for one frame, in one picture: each fan's round picture at
// its place on the panel, the panel fitted into an area of the window, on black. Fans of
// layer 0 are drawn first; the front fans spin in front of them.
class FanViewPicture
{
public:
    // Where the panel lies in an area of `area`: the largest rectangle of the panel's
    // proportions, centred (as the selection frame is fitted into the view).
    static QRect panelRect(const Panel& panel, const QSize& area);

    // The picture of panelRect's size; null when the panel has no area there.
    QImage paint(const Panel& panel, const QVector<FanFrameLines>& fans, const QSize& area);

    // Where each fan's disc goes in the picture of paint(), in the order they are painted:
    // a fan is left out where its disc has no pixel or lies nowhere near the picture, and
    // where `lineCounts` (the lines of its data in this frame) holds 0.
    struct Disc
    {
        int fan;
        QPoint corner;
        const FanDiscMap* map;
    };
    QVector<Disc> discs(const Panel& panel, const QVector<int>& lineCounts, const QSize& area);

private:
    const FanDiscMap& discMap(int ledpcs, int lineCount, int side);

    // Worked out once for every fan size met; a panel has few.
    std::vector<std::unique_ptr<FanDiscMap>> maps;
};

#endif
