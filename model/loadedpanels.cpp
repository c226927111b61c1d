#include "loadedpanels.h"

#include "fan.h"
#include "panel.h"

LoadedPanels::~LoadedPanels()
{
    for (Panel* panel : qAsConst(panels)) {
        qDeleteAll(panel->fans);
        delete panel;
    }
}

bool LoadedPanels::load(const QString& path, const FanConfig::PanelAnnouncer& announce)
{
    return FanConfig::load(path, panels, announce);
}

void LoadedPanels::read(const pugi::xml_document& document)
{
    FanConfig::read(document, panels);
}

Panel* LoadedPanels::at(int index) const
{
    return index >= 0 && index < panels.size() ? panels.at(index) : nullptr;
}

int LoadedPanels::find(int index, const QString& model) const
{
    if (index < 0)
        return 0;
    if (const Panel* panel = at(index); panel && panel->model == model)
        return index;
    for (int i = 0; i < panels.size(); ++i) {
        if (panels.at(i)->model == model)
            return i;
    }
    return 0;
}
