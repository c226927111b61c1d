#ifndef ROTAVIS_CLIPPLAN_H
#define ROTAVIS_CLIPPLAN_H

#include <QList>
#include <QString>
#include <QStringList>

class Panel;
struct Options;

// One clip of a conversion and where its files go.
struct ClipJob
{
    QString input;
    QString outputPath; // DIR/NAME, without ".bin"
    QString problem;    // why the clip is skipped (its name gives no name for the files)
};

// The clips of a conversion, in the order they run.
struct ClipPlan
{
    QList<ClipJob> jobs;
    // Several clips (several --input, or a folder): the files are named after each clip
    // under the --output folder, and the run ends with a summary table.
    bool batch = false;
};

// Works out the clips of the options' conversion: folders stand for the files in them
// (sorted by name; hidden files, fan data files and fan views left out). On a call that
// cannot be carried out as given (an --output that does not fit, a folder without files,
// two clips that would write the same files) returns false with the problem in *error.
bool planClips(const Options& options, ClipPlan* plan, QString* error);

// The files a clip's run writes for `panel`: its fan data files and, with fan views, their
// pictures.
QStringList clipOutputFiles(const QString& outputPath, const Panel& panel, bool fanViews);

// The first of the plan's output files that already exists as a file, or the first file of
// an older set of a name that a clip's run replaces; empty when none.
QString firstExistingOutput(const ClipPlan& plan, const Panel& panel, bool fanViews);

#endif
