#ifndef ROTAVIS_WORKERHOLD_H
#define ROTAVIS_WORKERHOLD_H

#include <QMetaObject>
#include <QObject>
#include <QSemaphore>

// Keeps the thread of `worker` busy from construction until released (at the latest when it
// goes away), so that a command queued to the worker meanwhile waits behind it. Holds without
// any timing: the constructor returns once the worker's thread is really held.
class WorkerHold
{
public:
    explicit WorkerHold(QObject* worker)
    {
        QMetaObject::invokeMethod(
            worker,
            [this] {
                started.release();
                released.acquire();
            },
            Qt::QueuedConnection);
        started.acquire();
    }
    ~WorkerHold() { release(); }
    WorkerHold(const WorkerHold&) = delete;
    WorkerHold& operator=(const WorkerHold&) = delete;

    void release()
    {
        if (!done)
            released.release();
        done = true;
    }

private:
    QSemaphore started, released;
    bool done = false;
};

#endif
