#ifndef ROTAVIS_LATESTREQUEST_H
#define ROTAVIS_LATESTREQUEST_H

#include <QMutex>
#include <QMutexLocker>

#include <utility>

// The newest request for a worker on a thread of its own: one that comes while another is
// still waiting replaces it, so that a busy worker goes on with the newest instead of working
// through stale ones.
template <typename Request>
class LatestRequest
{
public:
    // Keeps `request` as the newest; true when the worker is to be called for it (no call is
    // on its way yet).
    bool post(Request request)
    {
        QMutexLocker locker(&lock);
        newest = std::move(request);
        if (scheduled)
            return false; // the call already on its way takes this one
        scheduled = true;
        return true;
    }

    // The newest request, for the call that was on its way.
    Request take()
    {
        QMutexLocker locker(&lock);
        Request request = std::move(newest);
        newest = Request();
        scheduled = false;
        return request;
    }

private:
    QMutex lock; // guards newest and scheduled
    Request newest;
    bool scheduled = false;
};

#endif
