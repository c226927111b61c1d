#ifndef ROTAVIS_FANDATAFILE_H
#define ROTAVIS_FANDATAFILE_H

#include "packets.h"

#include <QByteArray>

// Line data whose every byte tells its frame, line and position.
inline QByteArray numberedLineData(int ledpcs, int frame, int line)
{
    QByteArray data(3 * ledpcs, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((frame * 7 + line * 13 + i) & 0xFF);
    return data;
}

// A fan data file of `frames` frames of numbered line data, as a run writes it.
inline QByteArray numberedFanFile(int ledpcs, int frames)
{
    QByteArray file;
    for (int frame = 0; frame < frames; ++frame)
        for (int line = 0; line < bladeType(ledpcs).linesPerFrame; ++line)
            appendLineRecord(file, numberedLineData(ledpcs, frame, line), line, ledpcs);
    return file;
}

#endif
