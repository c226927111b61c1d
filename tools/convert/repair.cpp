// --repair: a set of fan data files that a killed conversion left at different lengths, cut
// back to the frames that every file of the set holds whole.
#include "commands.h"
#include "exitstatus.h"
#include "fandatareader.h"
#include "fandataset.h"
#include "messages.h"
#include "nativepath.h"
#include "options.h"
#include "setrepair.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

// The set's files, open and locked for as long as this lives, so that no conversion can
// write them while they are read and cut.
class LockedFiles
{
public:
    ~LockedFiles()
    {
        for (const int descriptor : descriptors)
            ::close(descriptor);
    }

    // Opens and locks `path`; on failure *status and *problem say why.
    bool add(const QString& path, int* status, QString* problem)
    {
        const int descriptor =
            ::open(NativePath::toBytes(path).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (descriptor < 0) {
            *problem = QStringLiteral("cannot open %1: %2")
                           .arg(native(path), QString::fromLocal8Bit(std::strerror(errno)));
            *status = ExitOutputUnwritable;
            return false;
        }
        descriptors.push_back(descriptor);
        if (!FanDataSet::lockFile(descriptor)) {
            *problem = QStringLiteral("%1 is being written by another run; repair it when that "
                                      "run is over")
                           .arg(native(path));
            *status = ExitUsage;
            return false;
        }
        return true;
    }

    int descriptor(int index) const { return descriptors[size_t(index)]; }

private:
    std::vector<int> descriptors;
};

} // namespace

int repairFanData(const Options& options)
{
    const QString& name = options.repairName;
    const FanDataSet::OnDisk found = FanDataSet::find(name);
    FanDataSet set(name, 0);
    const QString incomplete = FanDataSet::wholeSet(name, found, &set);
    if (found.isEmpty()) {
        complainAboutUsage(incomplete);
        return ExitUsage;
    }
    if (!incomplete.isEmpty()) {
        complain(incomplete + QStringLiteral("; left alone"));
        return ExitBadFanData;
    }

    LockedFiles locked;
    QVector<CutOffFile> files;
    for (const QString& path : set.files()) {
        int status = ExitFailure;
        QString problem;
        if (!locked.add(path, &status, &problem)) {
            complain(problem);
            return status;
        }
        FanDataReader reader;
        const bool readable = reader.openCutOff(path);
        files << CutOffFile::from(path, NativePath::status(path).size, reader, readable);
    }
    const RepairPlan plan = RepairPlan::forFiles(files);
    if (!plan.refusal.isEmpty()) {
        complain(plan.refusal);
        return plan.damaged ? ExitBadFanData : ExitFailure;
    }

    bool cut = false;
    for (int i = 0; i < files.size(); ++i) {
        const CutOffFile& file = files.at(i);
        const qint64 keep = plan.keepBytes.at(i);
        if (file.size == keep) {
            std::printf("%s: %s, kept\n", qPrintable(native(file.path)),
                        qPrintable(counted(plan.wholeFrames, QStringLiteral("frame"))));
            continue;
        }
        if (::ftruncate(locked.descriptor(i), keep) != 0) {
            complain(QStringLiteral("cannot cut %1 back: %2")
                         .arg(native(file.path), QString::fromLocal8Bit(std::strerror(errno))));
            return ExitOutputUnwritable;
        }
        cut = true;
        std::printf("%s: cut from %s to %s (%s)\n", qPrintable(native(file.path)),
                    qPrintable(counted(file.size, QStringLiteral("byte"))),
                    qPrintable(counted(keep, QStringLiteral("byte"))),
                    qPrintable(counted(plan.wholeFrames, QStringLiteral("whole frame"))));
    }
    std::printf("%s: %s of %s, %s\n", qPrintable(native(name)),
                qPrintable(counted(files.size(), QStringLiteral("file"))),
                qPrintable(counted(plan.wholeFrames, QStringLiteral("whole frame"))),
                cut ? "cut back to the frames every file holds" : "nothing to cut");
    return ExitSuccess;
}
