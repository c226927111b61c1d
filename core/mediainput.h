#ifndef ROTAVIS_MEDIAINPUT_H
#define ROTAVIS_MEDIAINPUT_H

#include <QString>

// What a media input must allow. A clip is read more than once: for its first picture when
// it is opened, then again by every preview and save. A pipe, a FIFO, a socket or a terminal
// gives its data once only (and opening a FIFO nobody writes to never returns).
namespace MediaInput {

// Why `path` cannot serve as a clip, in words for the operator; empty when it can.
QString readOnceProblem(const QString& path);

} // namespace MediaInput

#endif
