// Fuzzes the installation loader: any bytes as fanconfig.xml must load without a memory
// error or undefined behaviour, and every panel read must be a whole object.
#include "fan.h"
#include "fanconfig.h"
#include "panel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

struct Workspace
{
    Workspace()
    {
        qInstallMessageHandler(quiet);
        if (!dir.isValid())
            std::abort();
        path = dir.filePath("fanconfig.xml");
    }
    QTemporaryDir dir;
    QString path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Workspace workspace;
    {
        QFile file(workspace.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    QList<Panel*> panels;
    int announced = 0;
    FanConfig::load(workspace.path, panels, [&](Panel*) { ++announced; });
    if (announced != panels.size())
        std::abort();
    for (Panel* panel : panels) {
        qDeleteAll(panel->fans);
        delete panel;
    }
    return 0;
}
