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

QString formatPreciseTime(qint64 ms)
{
    const qint64 total = qMax<qint64>(0, ms);
    return QString("%1:%2:%3.%4")
        .arg(total / 3600000)
        .arg(total / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(total / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 1000, 3, 10, QLatin1Char('0'));
}
