#ifndef ROTAVIS_INSTALLATION_H
#define ROTAVIS_INSTALLATION_H

#include "loadedpanels.h"

#include <QList>
#include <QString>
#include <QStringList>

class Panel;

// The panels of a configuration file, owned for the life of the program's run.
class Installation
{
public:
    // False with the reason when the file cannot be read or describes no panel.
    bool load(const QString& path, QString* error);

    // The panel at a position (a whole number from 0) or, for any other text, the first
    // panel whose model is exactly that text, else the first whose model differs from it in
    // case only; null when there is none. Null as well when the text matches no model
    // exactly and models of different case alike (such as "Twin" and "TWIN" for "twin"):
    // then `ambiguous`, if given, lists those panels as `INDEX "MODEL"`.
    Panel* find(const QString& indexOrModel, QStringList* ambiguous = nullptr) const;

    const QList<Panel*>& panels() const { return loaded.list(); }

    // Loads `configPath` and gives the panel that `panelName` names there (as find() does),
    // fit for a conversion; null after saying why on standard error, with the exit status in
    // *status.
    Panel* usablePanel(const QString& configPath, const QString& panelName, int* status);

private:
    LoadedPanels loaded;
};

#endif
