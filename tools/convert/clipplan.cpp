#include "clipplan.h"

#include "fandataset.h"
#include "fanviews.h"
#include "messages.h"
#include "nativepath.h"
#include "options.h"
#include "packets.h"
#include "panel.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

// What a folder contributes: every visible file but the converter's own output, which a
// folder that is also the output folder holds after a run.
QStringList clipsInFolder(const QString& folder)
{
    QStringList clips;
    for (const QString& file : NativePath::filesIn(folder)) {
        if (FanDataSet::isFanDataFile(file) || file.endsWith(QLatin1String(".view.png")))
            continue;
        clips.append(file);
    }
    return clips;
}

bool namesAFolder(const QString& path)
{
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator()) ||
           NativePath::status(path).isDir;
}

} // namespace

bool planClips(const Options& options, ClipPlan* plan, QString* error)
{
    QStringList clips;
    bool folderGiven = false;
    for (const QString& input : options.inputs) {
        if (!NativePath::status(input).isDir) {
            clips.append(input);
            continue;
        }
        folderGiven = true;
        const QStringList inFolder = clipsInFolder(input);
        if (inFolder.isEmpty()) {
            *error = QStringLiteral("the folder %1 holds no clips").arg(native(input));
            return false;
        }
        clips += inFolder;
    }

    ClipPlan result;
    result.batch = folderGiven || clips.size() > 1;
    if (!result.batch) {
        // One clip: --output is DIR/NAME. A folder there would give files named "__0.bin".
        if (namesAFolder(options.outputPath)) {
            *error = QStringLiteral("--output %1 names a folder; one clip needs DIR/NAME (the "
                                    "files become NAME.bin or NAME__0.bin, ...)")
                         .arg(native(options.outputPath));
            return false;
        }
        result.jobs.append({clips.first(), options.outputPath, QString()});
        *plan = result;
        return true;
    }

    const NativePath::Status outputDir = NativePath::status(options.outputPath);
    if (outputDir.exists && !outputDir.isDir) {
        *error = QStringLiteral("--output %1 is a file; several clips need a folder")
                     .arg(native(options.outputPath));
        return false;
    }
    QHash<QString, QString> clipOfOutput;
    for (const QString& clip : clips) {
        // The clip's name without its last suffix names its files, always inside the folder:
        // ".mp4" or "...mp4" would name none, or the folder's parent.
        const QString stem = QFileInfo(clip).completeBaseName();
        if (stem.isEmpty() || stem == QLatin1String(".") || stem == QLatin1String("..")) {
            result.jobs.append({clip, QString(),
                                QStringLiteral("the name of %1 gives no name for its fan data "
                                               "files; skipped (rename the clip)")
                                    .arg(native(clip))});
            continue;
        }
        const QString outputPath = QDir(options.outputPath).filePath(stem);
        const QString earlier = clipOfOutput.value(outputPath);
        if (!earlier.isEmpty()) {
            *error =
                QStringLiteral("%1 and %2 would both be written as %3*%4")
                    .arg(native(earlier), native(clip), native(outputPath), FanDataSet::suffix());
            return false;
        }
        clipOfOutput.insert(outputPath, clip);
        result.jobs.append({clip, outputPath, QString()});
    }
    *plan = result;
    return true;
}

QStringList clipOutputFiles(const QString& outputPath, const Panel& panel, bool fanViews)
{
    QStringList files;
    const int fans = panel.fans.size();
    for (int i = 0; i < fans; ++i) {
        files.append(FanDataSet::fileName(outputPath, i, fans));
        if (fanViews)
            files.append(fanViewFileName(files.last()));
    }
    return files;
}

QString firstExistingOutput(const ClipPlan& plan, const Panel& panel, bool fanViews)
{
    for (const ClipJob& job : plan.jobs) {
        if (!job.problem.isEmpty())
            continue;
        for (const QString& file : clipOutputFiles(job.outputPath, panel, fanViews) +
                                       FanDataSet(job.outputPath, panel.fans.size()).strayFiles()) {
            // A folder in a file's place is no file to keep: the run reports it cannot write.
            const NativePath::Status info = NativePath::status(file);
            if (info.exists && !info.isDir)
                return file;
        }
    }
    return QString();
}
