#ifndef ROTAVIS_FANVIEWS_H
#define ROTAVIS_FANVIEWS_H

#include <QString>
#include <QtGlobal>

class FanDataReader;
class Panel;

// Whole frames in the data files a run wrote for `panel` (all of its files hold as many).
qint64 convertedFrames(const QString& outputPath, const Panel& panel);

// The picture of what a fan shows: the data file's name with ".view.png" for ".bin".
QString fanViewFileName(const QString& dataFile);

// Writes, for converted frame `frame`, a picture of what each fan of the run shows:
// the data file's name with ".view.png" for ".bin". Returns an exit status; on failure
// *error says why.
int writeFanViews(const QString& outputPath, const Panel& panel, int frame, QString* error);

// Saves the picture of frame `frame` of `reader`'s fan (of `ledpcs` LEDs) as a PNG at `png`,
// by the rules of every output (never `dataFile`, the file read; only a regular file or a new
// one). The 14-channel lines take their swap turns from a fresh program's, `linesBefore`
// lines on. Returns why it could not, or an empty text.
QString saveFanView(const FanDataReader& reader, int frame, int ledpcs, qint64 linesBefore,
                    const QString& png, const QString& dataFile);

#endif
