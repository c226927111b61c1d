// --repair: a set of fan data files that a killed conversion left at different lengths, cut
// back to the frames that every file of the set holds whole.
#include "commands.h"
#include "exitstatus.h"
#include "fandatareader.h"
#include "messages.h"
#include "nativepath.h"
#include "options.h"
#include "packets.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// The files of the set NAME: NAME.bin for a panel of one fan, else NAME__0.bin, NAME__1.bin,
// ... as far as they go.
QStringList setFiles(const QString& outputPath)
{
    QStringList files;
    for (int i = 0;; ++i) {
        const QString file = fanDataFileName(outputPath, i, 2);
        if (!NativePath::status(file).isFile)
            break;
        files << file;
    }
    const QString single = fanDataFileName(outputPath, 0, 1);
    if (files.isEmpty() && NativePath::status(single).isFile)
        files << single;
    return files;
}

struct SetFile
{
    QString path;
    qint64 size = 0;
    qint64 frameBytes = 0; // 0 when not even the first packet is whole
    qint64 wholeFrames = 0;
};

} // namespace

int repairFanData(const Options& options)
{
    const QStringList files = setFiles(options.repairName);
    if (files.isEmpty()) {
        complainAboutUsage(QStringLiteral("no fan data files %1.bin or %1__0.bin")
                               .arg(native(options.repairName)));
        return ExitUsage;
    }

    QList<SetFile> set;
    for (const QString& path : files) {
        FanDataReader reader;
        if (!reader.openCutOff(path)) {
            complain(QStringLiteral("%1: %2 (not cut off, damaged: left as it is)")
                         .arg(native(path), reader.errorString()));
            return reader.errorOffset() < 0 ? ExitFailure : ExitBadFanData;
        }
        set.append({path, NativePath::status(path).size, reader.frameBytes(), reader.frameCount()});
    }
    qint64 whole = set.first().wholeFrames;
    for (const SetFile& file : set)
        whole = std::min(whole, file.wholeFrames);

    bool cut = false;
    for (const SetFile& file : set) {
        const qint64 keep = whole * file.frameBytes;
        if (file.size == keep) {
            std::printf("%s: %s, kept\n", qPrintable(native(file.path)),
                        qPrintable(counted(whole, QStringLiteral("frame"))));
            continue;
        }
        if (::truncate(NativePath::toBytes(file.path).constData(), keep) != 0) {
            complain(QStringLiteral("cannot cut %1 back").arg(native(file.path)));
            return ExitOutputUnwritable;
        }
        cut = true;
        std::printf("%s: cut from %s to %s (%s)\n", qPrintable(native(file.path)),
                    qPrintable(counted(file.size, QStringLiteral("byte"))),
                    qPrintable(counted(keep, QStringLiteral("byte"))),
                    qPrintable(counted(whole, QStringLiteral("whole frame"))));
    }
    std::printf("%s: %s of %s, %s\n", qPrintable(native(options.repairName)),
                qPrintable(counted(set.size(), QStringLiteral("file"))),
                qPrintable(counted(whole, QStringLiteral("whole frame"))),
                cut ? "cut back to the frames every file holds" : "nothing to cut");
    return ExitSuccess;
}
