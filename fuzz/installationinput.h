#ifndef ROTAVIS_INSTALLATIONINPUT_H
#define ROTAVIS_INSTALLATIONINPUT_H

#include "loadedpanels.h"
#include "panel.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// A fuzzer's input as the installation file: written where the loader reads it and loaded.
// The debug log is silenced, as it is one line per panel.
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
    std::unique_ptr<LoadedPanels> load(const uint8_t* data, size_t size)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
        file.close();
        auto panels = std::make_unique<LoadedPanels>();
        int announced = 0;
        panels->load(path, [&](Panel*) { ++announced; });
        if (announced != panels->size())
            std::abort();
        return panels;
    }

private:
    QTemporaryDir dir;
    QString path;
};

#endif
