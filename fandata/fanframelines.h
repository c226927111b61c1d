#ifndef ROTAVIS_FANFRAMELINES_H
#define ROTAVIS_FANFRAMELINES_H

#include "bitplanes.h"

#include <QByteArray>
#include <QVector>

// One fan's share of a converted frame: the line data of each blade position exactly as the
// fan data file carries it (3 x ledpcs bytes a line, after the LED colour processing), and,
// for the 14-channel blades (224 and 192 LEDs), which lines were packed with the two halves
// of the blade swapped.
struct FanFrameLines
{
    QVector<QByteArray> lines;
    QVector<bool> swapped; // one per line; all false for other blades
};

// One fan's frame record as a file holds it, with the turn its first line took: a view's
// share of a frame in one piece, to be taken apart into lines later, on another thread than
// the one that wrote it.
struct FanFrameRecord
{
    QByteArray record;
    int ledpcs = 0;
    bool takesTurns = false; // packed in 14 channels
    BitPlaneTurn firstTurn;

    FanFrameLines lines() const;
};

// The lines of each fan's record.
QVector<FanFrameLines> linesOf(const QVector<FanFrameRecord>& records);

#endif
