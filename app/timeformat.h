#ifndef ROTAVIS_TIMEFORMAT_H
#define ROTAVIS_TIMEFORMAT_H

#include <QString>

// A play position as hours:minutes:seconds, without leading zeros ("1:2:3"); whole days
// are dropped and milliseconds are not shown.
QString formatTime(int ms);

// A point of a clip to the millisecond, as the converter takes it: "0:01:02.500".
QString formatPreciseTime(qint64 ms);

#endif
