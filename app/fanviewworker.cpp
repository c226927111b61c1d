#include "fanviewworker.h"

#include "panelcopy.h"

#include <QMutexLocker>

FanViewWorker::FanViewWorker() : QObject(nullptr) {}

FanViewWorker::~FanViewWorker() = default;

void FanViewWorker::request(const QImage& frame, std::shared_ptr<const PanelCopy> panel,
                            const QSize& area, quint64 id)
{
    QMutexLocker locker(&lock);
    newest = Request{frame, std::move(panel), area, id};
    if (scheduled)
        return; // the call already on its way takes this one
    scheduled = true;
    QMetaObject::invokeMethod(
        this, [this] { work(); }, Qt::QueuedConnection);
}

void FanViewWorker::work()
{
    Request job;
    {
        QMutexLocker locker(&lock);
        job = std::move(newest);
        newest = Request();
        scheduled = false;
    }
    if (!job.panel || job.frame.isNull())
        return;
    if (!convertedPanel || !convertedPanel->sameAs(job.panel->panel()))
        convertedPanel = job.panel;
    const Panel& panel = convertedPanel->panel();
    const QImage picture = painter.paint(panel, converter.convert(job.frame, panel), job.area);
    emit ready(picture, job.id);
}
