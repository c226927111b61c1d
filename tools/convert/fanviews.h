#ifndef ROTAVIS_FANVIEWS_H
#define ROTAVIS_FANVIEWS_H

#include <QString>
#include <QtGlobal>

class Panel;

// The bit-plane turn of the 14-channel blades (224 and 192 LEDs) where a run started: their
// lines are packed with the halves swapped in turns of 300 lines, counted over the process.
struct SwapTurnOrigin
{
    qint64 packedLines = 0; // lines packed in the current turn
    bool swapped = false;

    // The turn as it stands now, before a run.
    static SwapTurnOrigin now();
};

// Whole frames in the data files a run wrote for `panel` (all of its files hold as many).
qint64 convertedFrames(const QString& outputPath, const Panel& panel);

// The picture of what a fan shows: the data file's name with ".view.png" for ".bin".
QString fanViewFileName(const QString& dataFile);

// Writes, for converted frame `frame`, a picture of what each fan of the run shows:
// the data file's name with ".view.png" for ".bin". Returns an exit status; on failure
// *error says why.
int writeFanViews(const QString& outputPath, const Panel& panel, int frame,
                  const SwapTurnOrigin& origin, QString* error);

#endif
