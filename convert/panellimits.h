#ifndef ROTAVIS_PANELLIMITS_H
#define ROTAVIS_PANELLIMITS_H

#include <QString>

class Panel;

// What a panel must satisfy before anything is converted for it. The installation file is
// read as it stands, whatever it says; a run refuses a panel whose values it cannot work
// with (no fans, sizes that are no numbers or too large for the working picture, LED counts
// no blade can have) instead of writing black or running out of memory.
namespace PanelLimits {

// The most LEDs a blade may have; the largest blade type has 1088.
constexpr int maxLeds = 4096;
// The longest side of the working picture (three pixels per panel unit), in pixels.
constexpr int maxWorkingSide = 32767;
// How far from the panel's origin a fan's centre and diameter may lie, in panel units.
constexpr double maxFanExtent = 1e6;

// Why the run cannot work with `panel`, naming the fan and the value; empty when it can.
QString problem(const Panel& panel);

} // namespace PanelLimits

#endif
