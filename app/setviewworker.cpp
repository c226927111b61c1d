#include "setviewworker.h"

#include "panelcopy.h"
#include "setplayer.h"

SetViewWorker::SetViewWorker() : QObject(nullptr)
{
    qRegisterMetaType<std::shared_ptr<SetPlayer>>();
}

SetViewWorker::~SetViewWorker() = default;

void SetViewWorker::open(const QString& file)
{
    QMetaObject::invokeMethod(
        this,
        [this, file] {
            auto set = std::make_shared<SetPlayer>();
            const bool ok = set->open(file);
            emit opened(set, ok);
        },
        Qt::QueuedConnection);
}

void SetViewWorker::request(std::shared_ptr<SetPlayer> set, qint64 frame,
                            std::shared_ptr<const PanelCopy> panel, const QSize& area, quint64 id)
{
    if (!requests.post(Request{std::move(set), frame, std::move(panel), area, id}))
        return;
    QMetaObject::invokeMethod(
        this, [this] { work(); }, Qt::QueuedConnection);
}

void SetViewWorker::work()
{
    const Request job = requests.take();
    if (!job.set || !job.panel)
        return;
    emit ready(job.set->picture(job.frame, job.panel->panel(), job.area), job.id);
}
