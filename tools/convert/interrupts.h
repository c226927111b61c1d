#ifndef ROTAVIS_INTERRUPTS_H
#define ROTAVIS_INTERRUPTS_H

#include <QString>

class Core;

// Ctrl-C, a polite kill and a closed terminal end the converter's work early, the way the
// window's stop ends a run: whole frames in every file, a finished video, no further clip.

// The signal that interrupted the work, 0 while none has.
int interruptSignal();

// What work ended by `signal` reports; its exit status is 128 + the signal, as shells
// report a command that a signal ended.
QString interruption(int signal);

// Interrupts are caught for as long as this lives (and counted from its start).
class InterruptScope
{
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;
};

// The worker that an interrupt stops, for as long as this lives.
class StoppableRun
{
public:
    explicit StoppableRun(Core* core);
    ~StoppableRun();
    StoppableRun(const StoppableRun&) = delete;
    StoppableRun& operator=(const StoppableRun&) = delete;
};

#endif
