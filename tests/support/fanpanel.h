#ifndef ROTAVIS_FANPANEL_H
#define ROTAVIS_FANPANEL_H

#include "fan.h"
#include "panel.h"

#include <memory>
#include <vector>

// A panel that owns its fans, for tests.
struct FanPanel
{
    Panel panel;
    std::vector<std::unique_ptr<Fan>> fans;

    explicit FanPanel(double width = 0, double height = 0, int edgeOffset = 0)
    {
        panel.width = width;
        panel.height = height;
        panel.edgeOffset = edgeOffset;
    }

    Fan* addFan(int ledpcs, double x, double y, int z = 0, double diameter = 10)
    {
        fans.push_back(std::make_unique<Fan>());
        Fan* fan = fans.back().get();
        fan->ledpcs = ledpcs;
        fan->x = x;
        fan->y = y;
        fan->z = z;
        fan->diameter = diameter;
        panel.fans.append(fan);
        return fan;
    }
};

#endif
