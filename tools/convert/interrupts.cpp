#include "interrupts.h"

#include "core.h"

#include <csignal>
#include <iterator>

namespace {

// The worker of the run in progress, for the handler.
Core* runningCore = nullptr;
volatile std::sig_atomic_t interrupted = 0;

void stopOnInterrupt(int signal)
{
    interrupted = signal;
    if (runningCore)
        runningCore->stopRequested.raise(); // lock-free: safe in a signal handler
}

// The signals that end the work early: Ctrl-C, a polite kill, a closed terminal.
constexpr int interruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int signalCount = int(std::size(interruptSignals));
struct sigaction previous[signalCount] = {};

} // namespace

int interruptSignal()
{
    return interrupted;
}

QString interruption(int signal)
{
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("terminated (SIGTERM)");
    case SIGHUP:
        return QStringLiteral("hung up (SIGHUP)");
    default:
        return QStringLiteral("interrupted");
    }
}

InterruptScope::InterruptScope()
{
    interrupted = 0;
    struct sigaction action = {};
    action.sa_handler = stopOnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < signalCount; ++i)
        sigaction(interruptSignals[i], &action, &previous[i]);
}

InterruptScope::~InterruptScope()
{
    for (int i = 0; i < signalCount; ++i)
        sigaction(interruptSignals[i], &previous[i], nullptr);
}

StoppableRun::StoppableRun(Core* core)
{
    // Announced before the handler can see it, so that a stop raised before the run takes
    // its ticket still stops that run; an interrupt that came earlier stops it too.
    core->stopRequested.announceJob();
    runningCore = core;
    if (interrupted)
        core->stopRequested.raise();
}

StoppableRun::~StoppableRun()
{
    runningCore = nullptr;
}
