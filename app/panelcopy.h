#ifndef ROTAVIS_PANELCOPY_H
#define ROTAVIS_PANELCOPY_H

#include "panel.h"

#include <QRectF>

#include <memory>
#include <vector>

class Fan;

// A private copy of a panel and its fans with a selection of its own, for work on another
// thread that must neither see later changes to the original nor write its selection.
class PanelCopy
{
public:
    PanelCopy(const Panel& original, const QRectF& selection);
    ~PanelCopy();
    PanelCopy(const PanelCopy&) = delete;
    PanelCopy& operator=(const PanelCopy&) = delete;

    const Panel& panel() const { return copy; }

    // Whether `other` has the same geometry, selection, blending and fans as this copy, so
    // that a conversion made for one serves the other.
    bool sameAs(const Panel& other) const;

private:
    Panel copy;
    std::vector<std::unique_ptr<Fan>> fans; // the fans of `copy`
};

#endif
