#ifndef ROTAVIS_FANVIEW_H
#define ROTAVIS_FANVIEW_H

#include <QByteArray>
#include <QImage>
#include <QVector>

#include <functional>

// A picture of what a spinning fan shows for one frame record: every LED's colour, as the
// file gives it to the blade, at its place on its blade position, on black.

// The colours of the LEDs of one blade position as written in a fan data file: RGB bytes
// for LED 0, 1, ... (first half-line from the hub outwards, then the second), with the bit
// planes of packed blades unpacked. LEDs that the file does not carry come out black.
QByteArray ledColours(const QByteArray& lineData, int ledpcs, bool bitPlanesSwapped);

// Tells for blade position `line` of the frame whether its bit planes were packed swapped;
// only asked for 14-channel blades (224 and 192 LEDs).
using SwapTurn = std::function<bool(int line)>;

// The LED colours of every blade position of a frame (ledColours of each line); `swapped`
// is asked only for 14-channel blades.
QVector<QByteArray> ledColoursOfLines(const QVector<QByteArray>& lines, int ledpcs,
                                      const SwapTurn& swapped);

// Renders one frame record (the line data of each blade position, as FanDataReader gives
// them) at a size where single LEDs can be told apart.
QImage renderFanView(const QVector<QByteArray>& lines, int ledpcs, const SwapTurn& swapped);

#endif
