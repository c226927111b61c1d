#include "fandatafile.h"
#include "fandatareader.h"
#include "fandataset.h"
#include "packets.h"
#include "setrepair.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// What --repair would do to a set with these contents.
RepairPlan planFor(const QVector<QByteArray>& contents)
{
    QVector<CutOffFile> files;
    for (int i = 0; i < contents.size(); ++i) {
        FanDataReader reader;
        const bool readable = reader.readCutOff(contents.at(i));
        files << CutOffFile::from(QString("set__%1.bin").arg(i), contents.at(i).size(), reader,
                                  readable);
    }
    return RepairPlan::forFiles(files);
}

} // namespace

class TestFanDataSet : public QObject
{
    Q_OBJECT

private slots:
    // What lies on disk under a name: the set it makes up, or why it is none, and which
    // files a save of another number of fans replaces.
    void theFilesOfAName_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<int>("fanCount");      // of a save under the name
        QTest::addColumn<QStringList>("stray"); // what that save replaces besides its own
        QTest::addColumn<int>("setFans");       // the set on disk, 0 when it is none
        QTest::addColumn<QString>("problem");
        const QStringList three{"s__0.bin", "s__1.bin", "s__2.bin"};
        QTest::newRow("one fan") << QStringList{"s.bin"} << 1 << QStringList() << 1 << "";
        QTest::newRow("three fans") << three << 3 << QStringList() << 3 << "";
        QTest::newRow("saved again for two fans")
            << three << 2 << QStringList{"s__2.bin"} << 3 << "";
        QTest::newRow("saved again for one fan") << three << 1 << three << 3 << "";
        QTest::newRow("both forms of the name")
            << QStringList{"s.bin", "s__0.bin"} << 2 << QStringList{"s.bin"} << 0
            << "belong to two sets";
        QTest::newRow("a file missing in the middle")
            << QStringList{"s__0.bin", "s__1.bin", "s__3.bin", "s__4.bin"} << 5 << QStringList()
            << 0 << "s__2.bin is missing";
        QTest::newRow("names of other sets")
            << QStringList{"s__01.bin", "s__x.bin", "sa.bin", "s__0.bin.part", "t__0.bin"} << 2
            << QStringList() << 0 << "no fan data files";
    }

    void theFilesOfAName()
    {
        QFETCH(QStringList, present);
        QFETCH(int, fanCount);
        QFETCH(QStringList, stray);
        QFETCH(int, setFans);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        for (const QString& file : present)
            QVERIFY(writeFile(dir.filePath(file), "x"));
        const QString name = dir.filePath("s");

        QStringList expectedStray;
        for (const QString& file : stray)
            expectedStray << dir.filePath(file);
        QCOMPARE(FanDataSet(name, fanCount).strayFiles(), expectedStray);

        FanDataSet set(name, 0);
        const QString found = FanDataSet::wholeSet(name, FanDataSet::find(name), &set);
        QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.contains(problem), qPrintable(found));
        if (setFans > 0) {
            QCOMPARE(set.fanCount(), setFans);
            QCOMPARE(set.files().size(), present.size());
            for (const QString& file : set.files())
                QVERIFY(present.contains(QFileInfo(file).fileName()));
        }
    }

    // No damage to a header of the first frame passes for a cut: --repair leaves every
    // file of a whole set as long as it is, whichever header byte of which file is changed.
    void damageToTheFirstFrameNeverShortensASet_data()
    {
        QTest::addColumn<QVector<int>>("ledCounts");
        QTest::newRow("one fan") << QVector<int>{320};
        QTest::newRow("three fans") << QVector<int>{192, 64, 1};
    }

    void damageToTheFirstFrameNeverShortensASet()
    {
        QFETCH(QVector<int>, ledCounts);
        QVector<QByteArray> set;
        for (int leds : ledCounts)
            set << numberedFanFile(leds, 2);
        for (int file = 0; file < set.size(); ++file) {
            const int packet = packetHeaderSize + 3 * ledCounts.at(file);
            for (int line = 0; line < 400; ++line) {
                for (int byte = 0; byte < packetHeaderSize; ++byte) {
                    QVector<QByteArray> damaged = set;
                    QByteArray& bytes = damaged[file];
                    const int at = line * packet + byte;
                    bytes[at] = char(bytes.at(at) ^ (line % 2 == 0 ? 0xFF : 0x01));
                    const RepairPlan plan = planFor(damaged);
                    if (!plan.refusal.isEmpty())
                        continue;
                    for (int i = 0; i < set.size(); ++i) {
                        if (plan.keepBytes.at(i) < set.at(i).size())
                            QFAIL(qPrintable(QString("file %1, line %2, header byte %3: file %4 "
                                                     "cut to %5 of %6 bytes")
                                                 .arg(file)
                                                 .arg(line)
                                                 .arg(byte)
                                                 .arg(i)
                                                 .arg(plan.keepBytes.at(i))
                                                 .arg(set.at(i).size())));
                    }
                }
            }
        }
    }

    // What a killed run leaves is cut back to the frames every file holds; files farther
    // apart than one frame are no such thing.
    void repairCutsOnlyWhatACutOffRunLeaves_data()
    {
        QTest::addColumn<QVector<qint64>>("kept"); // bytes of each file of a 3-frame set
        QTest::addColumn<int>("whole");            // frames after the repair, -1: left alone
        const qint64 small = frameRecordSize(60);
        const qint64 large = frameRecordSize(1088);
        QTest::newRow("whole") << QVector<qint64>{3 * small, 3 * large} << 3;
        QTest::newRow("one file a frame and a part ahead")
            << QVector<qint64>{2 * small + 1000, 1 * large + 17} << 1;
        QTest::newRow("one file cut inside its first packet")
            << QVector<qint64>{small, qint64(5)} << 0;
        QTest::newRow("two frames apart") << QVector<qint64>{3 * small, large} << -1;
        QTest::newRow("an empty file beside whole frames")
            << QVector<qint64>{2 * small, qint64(0)} << -1;
    }

    void repairCutsOnlyWhatACutOffRunLeaves()
    {
        QFETCH(QVector<qint64>, kept);
        QFETCH(int, whole);
        const int ledCounts[] = {60, 1088};
        QVector<QByteArray> set;
        for (int i = 0; i < kept.size(); ++i)
            set << numberedFanFile(ledCounts[i], 3).left(int(kept.at(i)));
        const RepairPlan plan = planFor(set);
        if (whole < 0) {
            QVERIFY2(plan.refusal.contains("not a cut-off set"), qPrintable(plan.refusal));
            return;
        }
        QVERIFY2(plan.refusal.isEmpty(), qPrintable(plan.refusal));
        QCOMPARE(plan.wholeFrames, qint64(whole));
        for (int i = 0; i < kept.size(); ++i)
            QCOMPARE(plan.keepBytes.at(i), whole * frameRecordSize(ledCounts[i]));
    }
};

QTEST_GUILESS_MAIN(TestFanDataSet)
#include "tst_fandataset.moc"
