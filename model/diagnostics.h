#ifndef ROTAVIS_DIAGNOSTICS_H
#define ROTAVIS_DIAGNOSTICS_H

#include <QLoggingCategory>

// The program's diagnostic lines (what the decoder, the conversion and the window are doing,
// for whoever looks into a problem) go through these categories. Their debug lines are off
// unless turned on, by Diagnostics::enable() or by QT_LOGGING_RULES="rotavis.*.debug=true";
// warnings meant for the operator are always on.
Q_DECLARE_LOGGING_CATEGORY(configLog)  // rotavis.config: reading the installation file
Q_DECLARE_LOGGING_CATEGORY(decodeLog)  // rotavis.decode: the frame source
Q_DECLARE_LOGGING_CATEGORY(convertLog) // rotavis.convert: the output run
Q_DECLARE_LOGGING_CATEGORY(windowLog)  // rotavis.window: the window and its widgets

namespace Diagnostics {

// Turns on the debug lines of every category above (a converter's --verbose).
void enable();

} // namespace Diagnostics

#endif
