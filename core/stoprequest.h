#ifndef ROTAVIS_STOPREQUEST_H
#define ROTAVIS_STOPREQUEST_H

#include <QtGlobal>

#include <atomic>

// The stop of the worker's jobs. Every run of the frame source holds a ticket, and a stop
// applies to the jobs that were asked for when it was raised: the run in progress and any
// run requested but not started yet. A stop raised while nothing is requested or running is
// spent on nothing, so it cannot end the next job.
//
// Who asks for a job through a queued call announces it first; a run that was not announced
// (a direct call) announces itself as it begins. Raising is lock-free, so a signal handler
// may raise a stop.
class StopRequest
{
public:
    // The window announces a job right before it sends the request to the worker.
    quint64 announceJob() { return ++announced; }

    // Stops every job announced so far.
    void raise() { stoppedThrough.store(announced.load()); }

    // A run begins: its ticket is the next one in request order.
    quint64 beginRun()
    {
        const quint64 ticket = ++begun;
        quint64 known = announced.load();
        while (known < ticket && !announced.compare_exchange_weak(known, ticket)) {
        }
        return ticket;
    }

    bool isRaisedFor(quint64 ticket) const { return stoppedThrough.load() >= ticket; }

private:
    std::atomic<quint64> announced{0};
    std::atomic<quint64> begun{0};
    std::atomic<quint64> stoppedThrough{0};
};

#endif
