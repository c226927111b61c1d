#include "panelcopy.h"

#include "fan.h"

PanelCopy::PanelCopy(const Panel& original, const QRectF& selection)
{
    copy.hz = original.hz;
    copy.width = original.width;
    copy.height = original.height;
    copy.model = original.model;
    copy.edgeOffset = original.edgeOffset;
    copy.selection = selection;
    copy.colorOffset0 = original.colorOffset0;
    copy.colorOffset1 = original.colorOffset1;
    for (const Fan* fan : original.fans) {
        auto own = std::make_unique<Fan>();
        own->diameter = fan->diameter;
        own->x = fan->x;
        own->y = fan->y;
        own->ledpcs = fan->ledpcs;
        own->z = fan->z;
        copy.fans.append(own.get());
        fans.push_back(std::move(own));
    }
}

PanelCopy::~PanelCopy()
{
    copy.fans.clear();
}

namespace {

// Exactly equal: QRectF's own comparison allows for rounding, the conversion does not.
bool sameRect(const QRectF& a, const QRectF& b)
{
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

} // namespace

bool PanelCopy::sameAs(const Panel& other) const
{
    if (copy.width != other.width || copy.height != other.height ||
        !sameRect(copy.selection, other.selection) || copy.edgeOffset != other.edgeOffset ||
        copy.colorOffset0 != other.colorOffset0 || copy.colorOffset1 != other.colorOffset1 ||
        copy.fans.size() != other.fans.size())
        return false;
    for (int i = 0; i < copy.fans.size(); ++i) {
        const Fan* mine = copy.fans.at(i);
        const Fan* theirs = other.fans.at(i);
        if (mine->diameter != theirs->diameter || mine->x != theirs->x || mine->y != theirs->y ||
            mine->ledpcs != theirs->ledpcs || mine->z != theirs->z)
            return false;
    }
    return true;
}
