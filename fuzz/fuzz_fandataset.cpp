// Fuzzes the reading of fan data sets and --repair's decision, in memory: a whole set made
// here is damaged as the input says (bytes changed, files cut, shortened by a byte or gone),
// then read as --inspect and --repair read it. Beyond memory errors and undefined behaviour
// it checks that a repair never removes a whole frame that every file still holds.
#include "fandatareader.h"
#include "fandataset.h"
#include "fanframelines.h"
#include "packets.h"
#include "setrepair.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

// Blade types and other counts, small ones more often: they make more frames a second.
constexpr int ledChoices[] = {1, 5, 60, 99, 192, 224, 320, 64, 512};
constexpr int mostOperations = 16;

class Input
{
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool empty() const { return at >= size; }
    unsigned byte() { return at < size ? data[at++] : 0; }
    unsigned number() { return byte() | byte() << 8 | byte() << 16; }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

// A whole file of `frames` frames (at most mostFrames) of a blade of `ledpcs` LEDs; made
// once per blade, as making the large ones takes longer than reading them.
constexpr int mostFrames = 3;
QByteArray genuineFile(int ledpcs, int frames)
{
    static std::map<int, QByteArray> made;
    QByteArray& file = made[ledpcs];
    if (file.isEmpty()) {
        for (int frame = 0; frame < mostFrames; ++frame) {
            for (int line = 0; line < bladeType(ledpcs).linesPerFrame; ++line) {
                QByteArray data(3 * ledpcs, '\0');
                for (int i = 0; i < data.size(); ++i)
                    data[i] = char((frame * 7 + line * 13 + i) & 0xFF);
                appendLineRecord(file, data, line, ledpcs);
            }
        }
    }
    return file.left(int(frames * frameRecordSize(ledpcs)));
}

// Leading whole records of `file` that are still those of `genuine`.
qint64 intactFrames(const QByteArray& file, const QByteArray& genuine, qint64 record)
{
    qint64 frames = 0;
    while ((frames + 1) * record <= std::min<qint64>(file.size(), genuine.size()) &&
           std::equal(file.constData() + frames * record, file.constData() + (frames + 1) * record,
                      genuine.constData() + frames * record))
        ++frames;
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const int fileCount = 1 + int(input.byte() % 3);
    const int frames = int(input.byte() % (mostFrames + 1));
    QVector<int> leds;
    QVector<QByteArray> genuine;
    for (int i = 0; i < fileCount; ++i) {
        leds << ledChoices[input.byte() % std::size(ledChoices)];
        genuine << genuineFile(leds.last(), frames);
    }

    QVector<QByteArray> files = genuine;
    QVector<bool> present(fileCount, true);
    for (int op = 0; op < mostOperations && !input.empty(); ++op) {
        const unsigned kind = input.byte() % 4;
        const int file = int(input.byte() % unsigned(fileCount));
        QByteArray& bytes = files[file];
        const int at = bytes.isEmpty() ? 0 : int(input.number() % unsigned(bytes.size()));
        switch (kind) {
        case 0: // a byte changed
            if (!bytes.isEmpty())
                bytes[at] = char(input.byte());
            break;
        case 1: // cut off, as a killed run leaves it
            bytes.truncate(at);
            break;
        case 2: // a byte lost
            if (!bytes.isEmpty())
                bytes.remove(at, 1);
            break;
        default: // the file gone
            present[file] = false;
            break;
        }
    }

    // Read as --inspect reads it, and its last frame taken apart as a player does.
    for (const QByteArray& bytes : files) {
        FanDataReader reader;
        if (reader.read(bytes) && reader.frameCount() > 0) {
            FanFrameRecord record;
            record.record = reader.frameRecord(reader.frameCount() - 1);
            record.ledpcs = reader.ledpcs();
            record.takesTurns = true;
            if (record.lines().lines.size() != reader.linesPerFrame())
                std::abort();
        }
    }

    // Found on disk as --repair finds it.
    const QString name = QStringLiteral("set");
    FanDataSet::OnDisk found;
    for (int i = 0; i < fileCount; ++i) {
        if (present[i])
            found.numbered[i] = FanDataSet::fileName(name, i, fileCount);
    }
    if (fileCount == 1 && present[0]) {
        found.numbered.clear();
        found.single = FanDataSet::fileName(name, 0, 1);
    }
    FanDataSet set(name, 0);
    if (!FanDataSet::wholeSet(name, found, &set).isEmpty())
        return 0;

    QVector<CutOffFile> cutOff;
    for (int i = 0; i < set.fanCount(); ++i) {
        FanDataReader reader;
        const bool readable = reader.readCutOff(files[i]);
        cutOff << CutOffFile::from(set.file(i), files[i].size(), reader, readable);
    }
    const RepairPlan plan = RepairPlan::forFiles(cutOff);
    if (!plan.refusal.isEmpty())
        return 0;

    // The frames that every file of the set as it was made still holds, as they were written.
    qint64 held = frames;
    for (int i = 0; i < fileCount; ++i) {
        held = std::min(
            held, present[i] ? intactFrames(files[i], genuine[i], frameRecordSize(leds[i])) : 0);
    }
    for (int i = 0; i < set.fanCount(); ++i) {
        const qint64 keep = plan.keepBytes.at(i);
        if (keep > files[i].size() || keep < held * frameRecordSize(leds[i])) {
            std::fprintf(stderr, "file %d of %d LEDs: %lld bytes kept of %d, %lld frames held\n", i,
                         leds[i], static_cast<long long>(keep), files[i].size(),
                         static_cast<long long>(held));
            std::abort();
        }
    }
    return 0;
}
