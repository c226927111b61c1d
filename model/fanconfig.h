#ifndef ROTAVIS_FANCONFIG_H
#define ROTAVIS_FANCONFIG_H

#include <QList>
#include <QString>

#include <functional>

class Panel;
namespace pugi {
class xml_document;
}

// Reading the installation description, fanconfig.xml.
namespace FanConfig {

// The file the program reads: fanconfig.xml beside the executable, or where it leads when it
// is a symbolic link (as an installed package makes it).
QString defaultPath();

// Called right after each panel has been appended to the list.
using PanelAnnouncer = std::function<void(Panel*)>;

// Reads the file at `path` and appends one Panel per <panel> of the top-level <panels>
// element to `panels`, in document order, each with its fans. Panels and fans are created
// without a parent and are owned by the caller. A missing or malformed file logs "-1" and
// yields whatever the parser still found (nothing for a missing file).
// Returns whether the document loaded without error.
bool load(const QString& path, QList<Panel*>& panels, const PanelAnnouncer& announce = {});

// The same from a document already parsed (what load() does after parsing the file).
void read(const pugi::xml_document& document, QList<Panel*>& panels,
          const PanelAnnouncer& announce = {});

} // namespace FanConfig

#endif
