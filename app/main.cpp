#include "fan.h"
#include "fanconfig.h"
#include "panel.h"

#include <QCoreApplication>
#include <QTextStream>

// Lists the installation described by fanconfig.xml beside the executable.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QList<Panel*> panels;
    FanConfig::load(FanConfig::defaultPath(), panels);

    QTextStream out(stdout);
    for (int i = 0; i < panels.size(); ++i) {
        const Panel* panel = panels.at(i);
        out << i << ": " << panel->model << " (" << panel->width << " x " << panel->height << ", "
            << panel->hz << " Hz)\n";
        for (const Fan* fan : panel->fans)
            out << "    fan of " << fan->ledpcs << " LEDs at (" << fan->x << ", " << fan->y
                << "), layer " << fan->z << "\n";
    }
    return 0;
}
