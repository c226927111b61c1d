#ifndef ROTAVIS_FANVIEWWORKER_H
#define ROTAVIS_FANVIEWWORKER_H

#include "fanframes.h"
#include "fanviewpicture.h"
#include "latestrequest.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <memory>

class PanelCopy;

// Turns frames into fan view pictures on a thread of its own, so that the window stays
// responsive however long a conversion takes. Only the newest request counts: one that has
// not been begun when a newer one comes is dropped, so the pictures follow a preview as
// closely as the machine allows and never fall behind.
class FanViewWorker : public QObject
{
    Q_OBJECT

public:
    FanViewWorker();
    ~FanViewWorker() override;

    // Any thread: asks for the fan view of `frame` for `panel`, fitted into `area`. The
    // answer is ready() with the same `id`.
    void request(const QImage& frame, std::shared_ptr<const PanelCopy> panel, const QSize& area,
                 quint64 id);

signals:
    void ready(QImage picture, quint64 id);

private:
    void work();

    struct Request
    {
        QImage frame;
        std::shared_ptr<const PanelCopy> panel;
        QSize area;
        quint64 id = 0;
    };

    LatestRequest<Request> requests;

    // Used on the worker's thread only. The conversion works out its sample map for one panel
    // and selection; the copy it was made for is kept while the requests bring equal ones.
    std::shared_ptr<const PanelCopy> convertedPanel;
    FanFrameConverter converter;
    FanViewPicture painter;
};

#endif
