#ifndef ROTAVIS_OPTIONS_H
#define ROTAVIS_OPTIONS_H

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
        Help
    };

    Mode mode = Mode::Convert;
    QString configPath;
    QString panel; // an index into the panel list or a panel's model
    QString input;
    QString outputPath; // DIR/NAME, without ".bin"
    bool hasSelection = false;
    QRectF selection;
    int fanViewFrame = -1; // -1: no fan views
    QString inspectPath;
    int inspectFrame = 0;
    QString pngPath;
    bool quiet = false;
    bool verbose = false;
};

// Reads the arguments (the program name first). On a usage error returns false and says why
// in *error.
bool parseOptions(const QStringList& arguments, const QString& defaultConfigPath, Options* options,
                  QString* error);

// The --help text.
QString usageText();

#endif
