#ifndef ROTAVIS_OPTIONS_H
#define ROTAVIS_OPTIONS_H

#include "sourceoptions.h"
#include "pictureadjustments.h"

#include <QRectF>
#include <QString>
#include <QStringList>

// What the command line asks rotavis-convert to do.
struct Options
{
    enum class Mode
    {
        Convert,
        ListPanels,
        Inspect,
        Repair,
        Play,
        CheckConfig,
        Help,
        Version
    };

    Mode mode = Mode::Convert;
    QString configPath; // --config, or with --check-config the file to check
    QString panel;      // an index into the panel list or a panel's model
    QStringList inputs; // clips, or folders of clips, in the order given
    QString outputPath; // DIR/NAME without ".bin" for one clip, DIR for several
    bool overwrite = false;
    bool hasSelection = false;
    QRectF selection;
    PictureAdjustments adjustments; // for every clip of the conversion
    int fanViewFrame = -1;          // -1: no fan views
    SourceOptions source;           // --start/--end, --timing, --no-autorotate
    QString inspectPath;
    int inspectFrame = 0;
    QString pngPath;
    QString repairName;   // DIR/NAME of a set of fan data files
    QString playName;     // DIR/NAME, or a file, of a set to render
    QString videoPath;    // the video of what the fans show; empty for none
    int videoSize = 1080; // the video's longer side in pixels
    bool quiet = false;
    bool verbose = false;
};

// Reads the arguments (the program name first). On a usage error returns false and says why
// in *error.
bool parseOptions(const QStringList& arguments, const QString& defaultConfigPath, Options* options,
                  QString* error);

// A time of a clip in microseconds: seconds with decimals ("12.5") or H:MM:SS.mmm ("0:01:02.5",
// also M:SS); false for anything else, negative times included.
bool parseClipTime(const QString& text, qint64* us);

// The --help text.
QString usageText();

#endif
