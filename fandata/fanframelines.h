#ifndef ROTAVIS_FANFRAMELINES_H
#define ROTAVIS_FANFRAMELINES_H

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

#endif
