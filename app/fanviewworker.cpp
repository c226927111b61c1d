#include "fanviewworker.h"

#include "panelcopy.h"

FanViewWorker::FanViewWorker() : QObject(nullptr) {}

FanViewWorker::~FanViewWorker() = default;

void FanViewWorker::request(const QImage& frame, std::shared_ptr<const PanelCopy> panel,
                            const QSize& area, quint64 id)
{
    if (!requests.post(Request{frame, std::move(panel), area, id}))
        return;
    QMetaObject::invokeMethod(
        this, [this] { work(); }, Qt::QueuedConnection);
}

void FanViewWorker::work()
{
    const Request job = requests.take();
    if (!job.panel || job.frame.isNull())
        return;
    if (!convertedPanel || !convertedPanel->sameAs(job.panel->panel()))
        convertedPanel = job.panel;
    const Panel& panel = convertedPanel->panel();
    const QImage picture = painter.paint(panel, converter.convert(job.frame, panel), job.area);
    emit ready(picture, job.id);
}
