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
