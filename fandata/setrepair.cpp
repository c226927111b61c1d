#include "setrepair.h"

#include "fandatareader.h"

#include <QDir>
#include <QStringList>

#include <algorithm>

CutOffFile CutOffFile::from(const QString& path, qint64 size, const FanDataReader& reader,
                            bool readable)
{
    CutOffFile file;
    file.path = path;
    file.size = size;
    file.readable = readable;
    if (!readable) {
        file.problem = reader.errorString();
        file.damaged = reader.errorOffset() >= 0;
        return file;
    }
    file.frameBytes = reader.frameBytes();
    file.wholeFrames = reader.frameCount();
    return file;
}

RepairPlan RepairPlan::forFiles(const QVector<CutOffFile>& files)
{
    RepairPlan plan;
    plan.damaged = true;
    if (files.isEmpty()) {
        plan.refusal = QStringLiteral("no files");
        return plan;
    }
    for (const CutOffFile& file : files) {
        if (!file.readable) {
            plan.damaged = file.damaged;
            plan.refusal = QStringLiteral("%1: %2 (not cut off, damaged: left as it is)")
                               .arg(QDir::toNativeSeparators(file.path), file.problem);
            return plan;
        }
    }

    qint64 fewest = files.first().wholeFrames;
    qint64 most = fewest;
    for (const CutOffFile& file : files) {
        fewest = std::min(fewest, file.wholeFrames);
        most = std::max(most, file.wholeFrames);
    }
    if (most - fewest > 1) {
        QStringList counts;
        for (const CutOffFile& file : files)
            counts << QString::number(file.wholeFrames);
        plan.refusal = QStringLiteral("not a cut-off set; left alone: its files hold %1 whole "
                                      "frames, but a run that was cut off leaves them at most "
                                      "one frame apart")
                           .arg(counts.join(QStringLiteral(", ")));
        return plan;
    }

    plan.damaged = false;
    plan.wholeFrames = fewest;
    for (const CutOffFile& file : files)
        plan.keepBytes << fewest * file.frameBytes;
    return plan;
}
