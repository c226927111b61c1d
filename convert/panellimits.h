#ifndef ROTAVIS_PANELLIMITS_H
#define ROTAVIS_PANELLIMITS_H

#include "bladetypes.h"

#include <QString>

class Panel;

// What a panel must satisfy before anything is converted for it. The installation file is
// read as it stands, whatever it says; a run refuses a panel whose values it cannot work
// with (no fans, sizes that are no numbers or too large for the working picture, LED counts
// no blade can have, rates no panel plays at) instead of writing black, running out of memory
// or filling the disk.
namespace PanelLimits {

// The most LEDs a blade may have.
constexpr int maxLeds = maxBladeLeds;
// The longest side of the working picture (three pixels per panel unit), in pixels.
constexpr int maxWorkingSide = 32767;
// How far from the panel's origin a fan's centre and diameter may lie, in panel units.
constexpr double maxFanExtent = 1e6;
// The fastest rate a panel may play at, in frames per second: every frame is a record in
// every fan's file, so a run at an absurd rate would fill the disk with copies of each
// picture. Rates that are not positive (or no number) play every picture once.
constexpr double maxRate = 1000;
// How far from the picture's origin a selection's corner and sides may lie, in source
// pixels: far beyond any picture, and near enough that the selection's corners, rounded to
// whole pixels, stay within int.
constexpr double maxSelectionExtent = 1e6;

// Why the run cannot work with `panel`, naming the fan and the value; empty when it can.
QString problem(const Panel& panel);

} // namespace PanelLimits

#endif
