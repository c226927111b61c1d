#include "fanconfig.h"

#include "cnumericlocale.h"
#include "diagnostics.h"
#include "fan.h"
#include "nativepath.h"
#include "panel.h"

#include <QCoreApplication>
#include <QDebug>

#include <pugixml.hpp>

#include <cstdlib>
#include <sys/stat.h>

namespace {

QString textOf(const pugi::xml_node& node, const char* name)
{
    return QString::fromUtf8(node.attribute(name).as_string(""));
}

Fan* readFan(const pugi::xml_node& node)
{
    auto* fan = new Fan;
    fan->diameter = node.attribute("diameter").as_double(0);
    fan->ledpcs = node.attribute("ledpcs").as_int(0);
    fan->y = node.attribute("y").as_double(0);
    fan->x = node.attribute("x").as_double(0);
    fan->z = node.attribute("z").as_int(0);
    return fan;
}

Panel* readPanel(const pugi::xml_node& node)
{
    auto* panel = new Panel;
    panel->hz = node.attribute("hz").as_double(0);
    // A missing, empty or zero rate (either sign) means the default rate.
    if (panel->hz == 0)
        panel->hz = 18.0;
    panel->width = node.attribute("width").as_double(0);
    panel->height = node.attribute("height").as_double(0);
    panel->model = textOf(node, "model");
    panel->colorOffset0 = textOf(node, "colorOffset0");
    panel->colorOffset1 = textOf(node, "colorOffset1");
    panel->edgeOffset = node.attribute("edge-offset").as_int(0);
    for (const pugi::xml_node& fanNode : node.children("fan"))
        panel->fans.append(readFan(fanNode));
    return panel;
}

} // namespace

namespace FanConfig {

QString defaultPath()
{
    const QString beside = QCoreApplication::applicationDirPath() + "/fanconfig.xml";
    // An installed package makes this a link to the file the operator edits (in /etc), and
    // that is the one to name; reading it reads the same file. A link that leads nowhere
    // keeps its own name.
    const QByteArray bytes = NativePath::toBytes(beside);
    struct stat link = {};
    if (::lstat(bytes.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return beside;
    char* const resolved = ::realpath(bytes.constData(), nullptr);
    if (!resolved)
        return beside;
    const QString target = NativePath::fromBytes(QByteArray(resolved));
    std::free(resolved);
    return target;
}

bool load(const QString& path, QList<Panel*>& panels, const PanelAnnouncer& announce)
{
    qCDebug(configLog) << path;

    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(
        NativePath::toBytes(path).constData(), pugi::parse_default, pugi::encoding_auto);
    if (!result)
        qCDebug(configLog) << -1;
    read(document, panels, announce);
    return bool(result);
}

void read(const pugi::xml_document& document, QList<Panel*>& panels, const PanelAnnouncer& announce)
{
    for (const pugi::xml_node& panelNode : document.child("panels").children("panel")) {
        Panel* panel = nullptr;
        {
            CNumericLocaleScope cNumbers;
            panel = readPanel(panelNode);
        }
        panels.append(panel);
        if (announce)
            announce(panel);
    }
}

} // namespace FanConfig
