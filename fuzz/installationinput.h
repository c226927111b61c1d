#ifndef ROTAVIS_INSTALLATIONINPUT_H
#define ROTAVIS_INSTALLATIONINPUT_H

#include "fan.h"
#include "fanconfig.h"
#include "panel.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A fuzzer's input as the installation file: written where the loader reads it, loaded, and
// the panels released again. The debug log is silenced, as it is one line per panel.
class InstallationInput
{
public:
    InstallationInput()
    {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        if (!dir.isValid())
            std::abort();
        path = dir.filePath("fanconfig.xml");
    }

    // The panels the loader makes of `data`, announced once each (or the run aborts).
    QList<Panel*> load(const uint8_t* data, size_t size)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
        file.close();
        QList<Panel*> panels;
        int announced = 0;
        FanConfig::load(path, panels, [&](Panel*) { ++announced; });
        if (announced != panels.size())
            std::abort();
        return panels;
    }

    static void release(QList<Panel*>& panels)
    {
        for (Panel* panel : panels) {
            qDeleteAll(panel->fans);
            delete panel;
        }
        panels.clear();
    }

private:
    QTemporaryDir dir;
    QString path;
};

#endif
