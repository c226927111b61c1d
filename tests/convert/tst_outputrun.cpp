#include "bitplanes.h"
#include "fan.h"
#include "fanpanel.h"
#include "filesizelimit.h"
#include "filledimage.h"
#include "nativepath.h"
#include "outputrun.h"
#include "packets.h"
#include "panel.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// Converts `frames` frames of `frame` into files under `outputPath`.
bool convert(Panel& panel, const QString& outputPath, const QImage& frame, int frames = 1)
{
    OutputRun run;
    if (!run.open(outputPath, &panel))
        return false;
    for (int i = 0; i < frames; ++i) {
        if (!run.convertFrame(frame))
            return false;
    }
    return run.finish();
}

} // namespace

class TestOutputRun : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QLoggingCategory::setFilterRules("default.debug=false"); // one line per frame
    }

    void filesAreNamedByFanCount()
    {
        FanPanel one(10, 10);
        one.addFan(20, 5, 5);
        QVERIFY(convert(one.panel, path("one"), filled(10, 10, Qt::red)));
        QVERIFY(QFile::exists(path("one.bin")));
        QVERIFY(!QFile::exists(path("one__0.bin")));

        FanPanel three(10, 10);
        for (int i = 0; i < 3; ++i)
            three.addFan(20, 5, 5);
        QVERIFY(convert(three.panel, path("three"), filled(10, 10, Qt::red)));
        for (const char* name : {"three__0.bin", "three__1.bin", "three__2.bin"})
            QVERIFY(QFile::exists(path(name)));
        QVERIFY(!QFile::exists(path("three.bin")));
    }

    void frameRecordSizePerLedCount_data()
    {
        QTest::addColumn<int>("ledpcs");
        QTest::addColumn<qint64>("size");
        QTest::newRow("1088") << 1088 << qint64(399 * 4 * 824); // 1,315,104
        QTest::newRow("704") << 704 << qint64(857600);
        QTest::newRow("512") << 512 << qint64(627200);
        QTest::newRow("320") << 320 << qint64(400 * 968);
        QTest::newRow("224") << 224 << qint64(400 * 680);
        QTest::newRow("192") << 192 << qint64(400 * 584);
        QTest::newRow("99") << 99 << qint64(400 * 305);
        QTest::newRow("703") << 703 << qint64(400 * (8 + 2109));
        QTest::newRow("0") << 0 << qint64(400 * 8);
    }
    void frameRecordSizePerLedCount()
    {
        QFETCH(int, ledpcs);
        QFETCH(qint64, size);
        FanPanel fans(20, 20);
        fans.addFan(ledpcs, 10, 10);
        const QString name = QString("size%1").arg(ledpcs);
        QVERIFY(convert(fans.panel, path(name), filled(60, 60, Qt::white), 2));
        QCOMPARE(QFileInfo(path(name + ".bin")).size(), 2 * size);
        QCOMPARE(frameRecordSize(ledpcs), size);
    }

    void chunkedPacketsCarryOffsetAndType()
    {
        FanPanel fans(10, 10);
        fans.addFan(1088, 5, 5);
        fans.addFan(704, 5, 5);
        fans.addFan(512, 5, 5);
        QVERIFY(convert(fans.panel, path("chunked"), filled(30, 30, Qt::white)));
        const QByteArray f1088 = contentsOf(path("chunked__0.bin"));
        const QByteArray f704 = contentsOf(path("chunked__1.bin"));
        const QByteArray f512 = contentsOf(path("chunked__2.bin"));

        // Line 5, chunk 2: offset 2 x 816 = 1632 = 0x0660.
        QCOMPARE(f1088.mid(5 * 4 * 824 + 2 * 824, 8),
                 bytes({0x82, 0x05, 0x00, 0x60, 0x06, 0x30, 0x03, 0x03}));
        // The last line is 398: 0x018E; chunk 3 at 2448 = 0x0990.
        QCOMPARE(f1088.right(824).left(8), bytes({0x82, 0x8E, 0x01, 0x90, 0x09, 0x30, 0x03, 0x03}));
        // 704 LEDs, line 1, chunk 3: 3 x 528 = 1584 = 0x0630.
        QCOMPARE(f704.mid(4 * 536 + 3 * 536, 8),
                 bytes({0x82, 0x01, 0x00, 0x30, 0x06, 0x10, 0x02, 0x02}));
        // 512 LEDs, line 399 = 0x018F, chunk 1 at 384 = 0x0180.
        QCOMPARE(f512.mid(399 * 4 * 392 + 392, 8),
                 bytes({0x82, 0x8F, 0x01, 0x80, 0x01, 0x80, 0x01, 0x04}));
    }

    void otherCountsCarryOnePacketPerLine()
    {
        FanPanel fans(10, 10);
        fans.addFan(320, 5, 5);
        QVERIFY(convert(fans.panel, path("p320"), filled(30, 30, Qt::white)));
        const QByteArray file = contentsOf(path("p320.bin"));
        // Line 7: 7 + 400 = 407 = 0x0197, then 960 LED bytes.
        QCOMPARE(file.mid(7 * 968, 8), bytes({0x82, 0x07, 0x00, 0x97, 0x01, 0x00, 0x00, 0x00}));
        QCOMPARE(file.mid(8 * 968, 5), bytes({0x82, 0x08, 0x00, 0x98, 0x01}));
    }

    void packetsCarryOnlyTheBladesLeds()
    {
        // 99 LEDs sample 2 x 50 points; the 100th LED's bytes are not written. White stays
        // white through the curve and 99 LEDs get no dimming.
        FanPanel fans(120, 120);
        fans.addFan(99, 60, 60);
        QVERIFY(convert(fans.panel, path("p99"), filled(360, 360, Qt::white)));
        const QByteArray file = contentsOf(path("p99.bin"));
        QCOMPARE(file.mid(8, 297), QByteArray(297, char(0xFF)));
        QCOMPARE(file.mid(305, 4), bytes({0x82, 0x01, 0x00, 0x91}));
    }

    void secondRunTruncatesTheFiles()
    {
        FanPanel fans(10, 10);
        fans.addFan(20, 5, 5);
        QVERIFY(convert(fans.panel, path("again"), filled(30, 30, Qt::white), 3));
        QCOMPARE(QFileInfo(path("again.bin")).size(), 3 * 400 * 68);
        QVERIFY(convert(fans.panel, path("again"), filled(30, 30, Qt::white), 1));
        QCOMPARE(QFileInfo(path("again.bin")).size(), 400 * 68);
    }

    void runSetsAndReleasesFanFields()
    {
        FanPanel fans(10, 10);
        Fan* a = fans.addFan(20, 5, 5);
        Fan* b = fans.addFan(20, 5, 5);
        {
            OutputRun run;
            QVERIFY(run.open(path("fields"), &fans.panel));
            QVERIFY(a->file && a->stream && b->file && b->stream);
            QVERIFY(a->file->isOpen());
            run.close();
            QVERIFY(!a->file && !a->stream && !b->file && !b->stream);
            QVERIFY(run.open(path("fields"), &fans.panel));
        }
        QVERIFY(!a->file && !a->stream); // the destructor closes
    }

    void panelWithoutFansWritesNothing()
    {
        QTemporaryDir empty;
        FanPanel fans(10, 10);
        OutputRun run;
        QVERIFY(run.open(empty.filePath("none"), &fans.panel));
        QVERIFY(run.convertFrame(filled(30, 30, Qt::white)));
        QVERIFY(QDir(empty.path()).entryList(QDir::Files).isEmpty());
    }

    void unopenableFileIsReported()
    {
        FanPanel fans(10, 10);
        Fan* first = fans.addFan(20, 5, 5);
        Fan* second = fans.addFan(20, 5, 5);
        OutputRun run;
        QVERIFY(!run.open(path("missing/out"), &fans.panel));
        QVERIFY(run.errorString().contains("out__0.bin"));
        QVERIFY(!run.convertFrame(filled(30, 30, Qt::white)));

        QVERIFY(QDir(dir.path()).mkdir("blocked__1.bin")); // a directory where a file should go
        QVERIFY(!run.open(path("blocked"), &fans.panel));
        QVERIFY(run.errorString().contains("blocked__1.bin"));
        QVERIFY(!first->file && !first->stream && !second->file && !second->stream);
    }

    // Outputs must be regular files or new: a FIFO with no reader would hang the run, and a
    // device would take the data somewhere else.
    void outputsThatAreNoFilesAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("link to a device") << "device";
    }

    void outputsThatAreNoFilesAreRefused()
    {
        QFETCH(QString, kind);
        const QString name = path(kind + ".bin");
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        else
            QVERIFY(QFile::link("/dev/null", name));
        FanPanel fans(10, 10);
        Fan* fan = fans.addFan(20, 5, 5);
        OutputRun run;
        QVERIFY(!run.open(path(kind), &fans.panel));
        QVERIFY2(run.errorString().contains("not a regular file"), qPrintable(run.errorString()));
        QVERIFY(!fan->file);
        QVERIFY(QFileInfo(name).exists() || QFileInfo(name).isSymLink());
    }

    // No output may be the clip being converted or another output, however it is reached;
    // the refusal comes before anything is opened, so nothing is changed.
    void outputsThatAreTheInputOrEachOtherAreRefused_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("said");
        QTest::newRow("the input itself") << "same"
                                          << "the clip being converted";
        QTest::newRow("the input through a symbolic link") << "symbolic"
                                                           << "the clip being converted";
        QTest::newRow("the input through a hard link") << "hard"
                                                       << "the clip being converted";
        QTest::newRow("another output") << "output"
                                        << "the same file as";
    }

    void outputsThatAreTheInputOrEachOtherAreRefused()
    {
        QFETCH(QString, link);
        QFETCH(QString, said);
        QTemporaryDir folder;
        const QString clip = folder.filePath("clip.mkv");
        const QByteArray contents("a clip that must stay as it is");
        QVERIFY(writeFile(clip, contents));
        const QString first = folder.filePath("out__0.bin");
        const QString second = folder.filePath("out__1.bin");
        if (link == "same")
            QVERIFY(QFile::rename(clip, second) && QFile::link(second, clip));
        else if (link == "symbolic")
            QVERIFY(QFile::link(clip, second));
        else if (link == "hard")
            QCOMPARE(::link(QFile::encodeName(clip), QFile::encodeName(second)), 0);
        else
            QVERIFY(QFile::copy(clip, first) && QFile::link(first, second));

        FanPanel fans(10, 10);
        fans.addFan(20, 5, 5);
        fans.addFan(20, 5, 5);
        OutputRun run;
        QVERIFY(!run.open(folder.filePath("out"), &fans.panel, clip));
        QVERIFY2(run.errorString().contains(said), qPrintable(run.errorString()));
        QCOMPARE(contentsOf(clip), contents);
        QCOMPARE(contentsOf(second), contents);
    }

    // Existing files are replaced only once every file holds the first frame; a run that
    // fails to open, ends before its first frame or cannot write it leaves them exactly as they
    // were and removes the files it made.
    void existingFilesStayUntilTheFirstFrameIsWritten_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("third file cannot be made") << "open";
        QTest::newRow("run ends before its first frame") << "none";
        QTest::newRow("the first frame cannot be written") << "full";
    }

    void existingFilesStayUntilTheFirstFrameIsWritten()
    {
        QFETCH(QString, ending);
        QTemporaryDir folder;
        const QByteArray earlier("an earlier run's data");
        for (const QString name : {"out__0.bin", "out__1.bin"})
            QVERIFY(writeFile(folder.filePath(name), earlier));
        if (ending == "open")
            QVERIFY(QDir(folder.path()).mkdir("out__2.bin"));
        FanPanel fans(10, 10);
        for (int i = 0; i < 4; ++i)
            fans.addFan(20, 5, 5);
        {
            OutputRun run;
            QCOMPARE(run.open(folder.filePath("out"), &fans.panel), ending != "open");
            if (ending == "full") {
                const FileSizeLimit limit(frameRecordSize(20) / 2);
                QVERIFY(limit.active);
                QVERIFY(run.convertFrame(filled(30, 30, Qt::white)));
                QVERIFY(!run.finish());
            }
        }
        QCOMPARE(contentsOf(folder.filePath("out__0.bin")), earlier);
        QCOMPARE(contentsOf(folder.filePath("out__1.bin")), earlier);
        QVERIFY(!QFile::exists(folder.filePath("out__3.bin")));
        QCOMPARE(QFileInfo(folder.filePath("out__2.bin")).isDir(), ending == "open");
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A run replaces the whole set of its name: its own files (through a link where one
    // leads, keeping their permissions) and an older set's files for other fans.
    void replacingASetTakesTheWholeName()
    {
        QTemporaryDir folder;
        for (const char* name : {"out.bin", "out__0.bin", "out__3.bin", "out__4.bin", "there.bin"})
            QVERIFY(writeFile(folder.filePath(name), "an older set"));
        QVERIFY(QFile::link(folder.filePath("there.bin"), folder.filePath("out__1.bin")));
        const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(folder.filePath("out__0.bin"), ownerOnly));
        FanPanel fans(10, 10);
        for (int i = 0; i < 3; ++i)
            fans.addFan(20, 5, 5);
        QVERIFY(convert(fans.panel, folder.filePath("out"), filled(30, 30, Qt::white)));

        for (const char* name : {"out__0.bin", "out__1.bin", "out__2.bin", "there.bin"})
            QCOMPARE(QFileInfo(folder.filePath(name)).size(), frameRecordSize(20));
        QVERIFY(QFileInfo(folder.filePath("out__1.bin")).isSymLink());
        QCOMPARE(QFile::permissions(folder.filePath("out__0.bin")) & 0x7077,
                 ownerOnly); // no group, no others
        for (const char* name : {"out.bin", "out__3.bin", "out__4.bin"})
            QVERIFY2(!QFile::exists(folder.filePath(name)), name);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    // Two runs never write one set at once: the second refuses while the first holds it and
    // leaves its files alone.
    void aSetBeingWrittenIsRefused()
    {
        FanPanel fans(10, 10);
        FanPanel others(10, 10);
        for (int i = 0; i < 2; ++i) {
            fans.addFan(20, 5, 5);
            others.addFan(20, 5, 5);
        }
        OutputRun first;
        QVERIFY(first.open(path("busy"), &fans.panel));
        OutputRun second;
        QVERIFY(!second.open(path("busy"), &others.panel));
        QVERIFY(second.busy());
        QVERIFY2(second.errorString().contains("busy__0.bin"), qPrintable(second.errorString()));
        QVERIFY(first.convertFrame(filled(30, 30, Qt::white)));
        QVERIFY(first.finish());
        first.close();
        for (const char* name : {"busy__0.bin", "busy__1.bin"})
            QCOMPARE(QFileInfo(path(name)).size(), frameRecordSize(20));
        QVERIFY(second.open(path("busy"), &others.panel));
        QVERIFY(!second.busy());
    }

    // Data written to a file that lost its name is lost: the run does not pass for done.
    void filesThatLoseTheirNameDuringTheRunAreReported_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("a file removed") << "file";
        QTest::newRow("a file replaced by a folder") << "folder";
        QTest::newRow("the output folder removed") << "all";
    }

    void filesThatLoseTheirNameDuringTheRunAreReported()
    {
        QFETCH(QString, change);
        QTemporaryDir outer;
        const QString folder = outer.filePath("out");
        QVERIFY(QDir().mkpath(folder));
        FanPanel fans(10, 10);
        fans.addFan(20, 5, 5);
        fans.addFan(20, 5, 5);
        OutputRun run;
        QVERIFY(run.open(folder + "/gone", &fans.panel));
        QVERIFY(run.convertFrame(filled(30, 30, Qt::white)));
        QVERIFY(run.finish());
        if (change == "all") {
            QVERIFY(QDir(folder).removeRecursively());
        } else {
            QVERIFY(QFile::remove(folder + "/gone__1.bin"));
            if (change == "folder")
                QVERIFY(QDir(folder).mkdir("gone__1.bin"));
        }
        QVERIFY(run.convertFrame(filled(30, 30, Qt::white)));
        QVERIFY(!run.finish());
        QVERIFY2(run.errorString().contains(change == "all" ? "gone__0.bin" : "gone__1.bin"),
                 qPrintable(run.errorString()));
    }

    // More fans than files may be open at once: the run cannot start and leaves nothing.
    void filesOfARunThatCannotOpenThemAllAreRemoved()
    {
        QTemporaryDir folder;
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &previous), 0);
        FanPanel fans(10, 10);
        for (int i = 0; i < 200; ++i)
            fans.addFan(20, 5, 5);
        OutputRun run;
        rlimit few = previous;
        few.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &few), 0);
        const bool opened = run.open(folder.filePath("many"), &fans.panel);
        setrlimit(RLIMIT_NOFILE, &previous);
        QVERIFY(!opened);
        QVERIFY2(run.errorString().contains("Too many open files"), qPrintable(run.errorString()));
        QVERIFY(QDir(folder.path()).isEmpty());
    }

    // A name that is not UTF-8 is written under exactly its bytes.
    void namesKeepEveryByte()
    {
        const QByteArray folder = QFile::encodeName(dir.path());
        const QString outputPath = NativePath::fromBytes(folder + "/caf\xe9-\xff");
        FanPanel fans(10, 10);
        fans.addFan(20, 5, 5);
        QVERIFY(convert(fans.panel, outputPath, filled(30, 30, Qt::white)));
        struct stat status = {};
        QCOMPARE(::stat(folder + "/caf\xe9-\xff.bin", &status), 0);
        QCOMPARE(qint64(status.st_size), frameRecordSize(20));
        ::unlink(folder + "/caf\xe9-\xff.bin"); // the temporary folder's clean-up could not name it
    }

    void failedWriteLeavesWholeFrames()
    {
        FanPanel fans(10, 10);
        fans.addFan(99, 5, 5);  // 122,000 bytes a frame
        fans.addFan(320, 5, 5); // 387,200 bytes a frame: the third frame passes 1,000,000
        const QImage frame = filled(30, 30, Qt::white);
        OutputRun run;
        QVERIFY(run.open(path("limit"), &fans.panel));
        {
            FileSizeLimit limit(1000000);
            QVERIFY(limit.active);
            QVERIFY(run.convertFrame(frame));
            QVERIFY(run.convertFrame(frame));
            QVERIFY(run.convertFrame(frame));  // converted while this call returns
            QVERIFY(!run.convertFrame(frame)); // the third frame's failure shows here
            QVERIFY(!run.finish());
        }
        QVERIFY(run.errorString().contains("limit__1.bin"));
        QVERIFY(!run.convertFrame(frame)); // nothing more, even with room again
        run.close();
        QCOMPARE(QFileInfo(path("limit__0.bin")).size(), 2 * 122000);
        QCOMPARE(QFileInfo(path("limit__1.bin")).size(), 2 * 387200);
    }

    void halvesSwapEvery300LinesAcrossFansAndFrames()
    {
        // Blue above the fans' centre, black below: from line 100 to 300 the first half-line
        // (channels 0 ... 6) points up into the blue, the second (channels 7 ... 13) down.
        QImage frame = filled(720, 720, Qt::black);
        for (int r = 0; r < 360; ++r) {
            for (int c = 0; c < 720; ++c)
                frame.setPixel(c, r, qRgb(0, 0, 255));
        }
        FanPanel fans(240, 240);
        fans.addFan(224, 120, 120);
        fans.addFan(224, 120, 120);
        BitPlaneTurn::outputRuns() = BitPlaneTurn();
        QVERIFY(convert(fans.panel, path("swap"), frame, 2));

        const QByteArray files[] = {contentsOf(path("swap__0.bin")),
                                    contentsOf(path("swap__1.bin"))};
        for (int f = 0; f < 2; ++f) {
            for (int fan = 0; fan < 2; ++fan) {
                for (int line = 100; line <= 300; ++line) {
                    const int packed = 800 * f + 400 * fan + line; // lines packed before
                    const bool swapped = packed / 300 % 2 == 1;
                    // Group 8, blue's top bit: 7 channels lit, in the low or the high half.
                    const int at = f * 272000 + line * 680 + 8 + 48 * 8;
                    const int word = uchar(files[fan][at]) | uchar(files[fan][at + 1]) << 8;
                    QCOMPARE(word, swapped ? 0x3F80 : 0x007F);
                }
            }
        }
    }
};

QTEST_MAIN(TestOutputRun)
#include "tst_outputrun.moc"
