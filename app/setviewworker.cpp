#include "setviewworker.h"

#include "panelcopy.h"
#include "setplayer.h"

#include <QMutexLocker>

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
    QMutexLocker locker(&lock);
    newest = Request{std::move(set), frame, std::move(panel), area, id};
    if (scheduled)
        return; // the call already on its way takes this one
    scheduled = true;
    QMetaObject::invokeMethod(
        this, [this] { work(); }, Qt::QueuedConnection);
}

void SetViewWorker::work()
{
    Request job;
    {
        QMutexLocker locker(&lock);
        job = std::move(newest);
        newest = Request();
        scheduled = false;
    }
    if (!job.set || !job.panel)
        return;
    emit ready(job.set->picture(job.frame, job.panel->panel(), job.area), job.id);
}
