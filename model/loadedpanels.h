#ifndef ROTAVIS_LOADEDPANELS_H
#define ROTAVIS_LOADEDPANELS_H

#include "fanconfig.h"

#include <QList>
#include <QString>

class Panel;

// The panels of an installation file with their fans, owned together: the window's for as
// long as it lives, the converter's for its run.
class LoadedPanels
{
public:
    LoadedPanels() = default;
    ~LoadedPanels();
    LoadedPanels(const LoadedPanels&) = delete;
    LoadedPanels& operator=(const LoadedPanels&) = delete;

    // Reads the installation file at `path`, announcing each panel as it is appended.
    // Returns whether the document loaded without error (FanConfig::load).
    bool load(const QString& path, const FanConfig::PanelAnnouncer& announce = {});
    // The panels of a document already parsed (FanConfig::read).
    void read(const pugi::xml_document& document);

    const QList<Panel*>& list() const { return panels; }
    Panel* at(int index) const;
    int size() const { return panels.size(); }
    bool isEmpty() const { return panels.isEmpty(); }

    // The panel the operator chose last time: `index` while the panel there still has the
    // model `model`, otherwise the first panel of that model, otherwise (also for a negative
    // index: nothing chosen yet) the first panel.
    int find(int index, const QString& model) const;

private:
    QList<Panel*> panels;
};

#endif
