#include "timeformat.h"

QString formatTime(int ms)
{
    constexpr int day = 86400000;
    ms %= day;
    const int hours = ms / 3600000;
    ms %= 3600000;
    const int minutes = ms / 60000;
    ms %= 60000;
    const int seconds = ms / 1000;
    return QString("%1:%2:%3").arg(hours).arg(minutes).arg(seconds);
}
