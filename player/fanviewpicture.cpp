#include "fanviewpicture.h"

#include "fan.h"
#include "fanview.h"
#include "panel.h"
#include "viewgeometry.h"

#include <cmath>

namespace {

// Panel lengths as whole pixels, saturating, never negative.
int pixels(double length)
{
    if (!(length > 0))
        return 0;
    return length < 1e6 ? int(length) : 1000000;
}

} // namespace

QRect FanViewPicture::panelRect(const Panel& panel, const QSize& area)
{
    const QSize proportions(pixels(panel.width), pixels(panel.height));
    if (proportions.isEmpty())
        return QRect();
    return ViewGeometry::fitFrame(proportions, QRect(QPoint(0, 0), area));
}

QVector<FanViewPicture::Disc>
FanViewPicture::discs(const Panel& panel, const QVector<int>& lineCounts, const QSize& area)
{
    QVector<Disc> placed;
    const QRect rect = panelRect(panel, area);
    if (rect.isEmpty())
        return placed;
    // Sizes of panels chosen earlier are let go now and then; never during a call, whose
    // discs point into the maps.
    if (maps.size() >= 32)
        maps.clear();
    const double scale = rect.width() / panel.width;
    for (const bool frontLayer : {false, true}) {
        for (int i = 0; i < panel.fans.size() && i < lineCounts.size(); ++i) {
            const Fan* fan = panel.fans.at(i);
            if ((fan->z != 0) != frontLayer)
                continue;
            const int side = pixels(fan->diameter * scale);
            if (side == 0 || lineCounts.at(i) == 0)
                continue;
            const double left = std::floor(fan->x * scale - side / 2.0);
            const double top = std::floor(fan->y * scale - side / 2.0);
            if (!(std::abs(left) < 1e6) || !(std::abs(top) < 1e6))
                continue; // nowhere near the picture
            placed.append(
                {i, QPoint(int(left), int(top)), &discMap(fan->ledpcs, lineCounts.at(i), side)});
        }
    }
    return placed;
}

QImage FanViewPicture::paint(const Panel& panel, const QVector<FanFrameLines>& fans,
                             const QSize& area)
{
    const QRect rect = panelRect(panel, area);
    if (rect.isEmpty())
        return QImage();
    QImage picture(rect.size(), QImage::Format_RGB888);
    picture.fill(Qt::black);
    QVector<int> lineCounts;
    for (const FanFrameLines& fan : fans)
        lineCounts.append(fan.lines.size());
    for (const Disc& disc : discs(panel, lineCounts, area)) {
        const FanFrameLines& data = fans.at(disc.fan);
        const QVector<QByteArray> colours =
            ledColoursOfLines(data.lines, panel.fans.at(disc.fan)->ledpcs,
                              [&data](int k) { return data.swapped.value(k); });
        disc.map->paint(picture, disc.corner, colours);
    }
    return picture;
}

const FanDiscMap& FanViewPicture::discMap(int ledpcs, int lineCount, int side)
{
    for (const auto& map : maps) {
        if (map->ledpcs() == ledpcs && map->lineCount() == lineCount && map->side() == side)
            return *map;
    }
    maps.push_back(std::make_unique<FanDiscMap>(ledpcs, lineCount, side));
    return *maps.back();
}
