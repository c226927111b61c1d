#ifndef ROTAVIS_SETVIEWWORKER_H
#define ROTAVIS_SETVIEWWORKER_H

#include "latestrequest.h"

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

class PanelCopy;
class SetPlayer;

// Opens saved fan data sets and draws their frames on a thread of its own: opening checks
// every packet of every file, which takes a while for a long set, and the pictures of a large
// panel take a while to draw. Each set is opened into a player of its own, so that the set
// already playing goes on playing until the window takes the new one.
//
// The player's drawing keeps state of its own, so its pictures are drawn on this thread
// only; once open, what open() found (frame count, LED counts, panelProblem) does not change
// and may be read on any thread. Of the pictures only the newest request counts: one that
// has not been begun when a newer one comes is dropped, as in the fan view worker.
class SetViewWorker : public QObject
{
    Q_OBJECT

public:
    SetViewWorker();
    ~SetViewWorker() override;

    // Any thread: opens the set that `file` belongs to; the answer is opened().
    void open(const QString& file);

    // Any thread: asks for the picture of frame `frame` of `set` on `panel` (which the set
    // fits), fitted into `area`. The answer is ready() with the same `id`.
    void request(std::shared_ptr<SetPlayer> set, qint64 frame,
                 std::shared_ptr<const PanelCopy> panel, const QSize& area, quint64 id);

signals:
    // `set` is open when `ok`; otherwise its errorString() says why it is not.
    void opened(std::shared_ptr<SetPlayer> set, bool ok);
    void ready(QImage picture, quint64 id);

private:
    void work();

    struct Request
    {
        std::shared_ptr<SetPlayer> set;
        qint64 frame = 0;
        std::shared_ptr<const PanelCopy> panel;
        QSize area;
        quint64 id = 0;
    };

    LatestRequest<Request> requests;
};

Q_DECLARE_METATYPE(std::shared_ptr<SetPlayer>)

#endif
