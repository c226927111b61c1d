#include "adjustmentformula.h"
#include "core.h"
#include "dialoganswerer.h"
#include "filledimage.h"
#include "framesource.h"
#include "loadedpanels.h"
#include "mainwindow.h"
#include "messagecapture.h"
#include "packets.h"
#include "panel.h"
#include "setplayer.h"
#include "testfiles.h"
#include "testmedia.h"
#include "usersettings.h"
#include "vectorkernel.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <cmath>
#include <csignal>

namespace {

const QString installation = QStringLiteral(R"xml(<panels>
  <panel model="one small fan" width="64" height="64">
    <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
  </panel>
  <panel model="pair" hz="25" width="128" height="64" edge-offset="12"
         colorOffset0="0:(0,0,0,255)|0.5:(20,40,60,128)|1:(0,0,0,0)"
         colorOffset1="0:(0,0,0,0)|1:(255,0,0,255)">
    <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
    <fan diameter="60" ledpcs="60" x="80" y="32" z="1"/>
  </panel>
  <panel model="every blade" width="1100" height="1100">
    <fan diameter="1088" ledpcs="1088" x="550" y="550"/>
    <fan diameter="704" ledpcs="704" x="550" y="550"/>
    <fan diameter="512" ledpcs="512" x="550" y="550"/>
    <fan diameter="320" ledpcs="320" x="550" y="550"/>
    <fan diameter="256" ledpcs="256" x="550" y="550"/>
    <fan diameter="224" ledpcs="224" x="550" y="550"/>
    <fan diameter="192" ledpcs="192" x="550" y="550"/>
    <fan diameter="99" ledpcs="99" x="550" y="550"/>
  </panel>
  <panel model="large" width="1088" height="1088">
    <fan diameter="1088" ledpcs="1088" x="544" y="544"/>
  </panel>
  <panel model="packed" width="200" height="200">
    <fan diameter="192" ledpcs="192" x="100" y="100"/>
  </panel>
</panels>)xml");

// How close two pictures of one size are, in dB of their brightness, as video coding is
// measured: its pictures keep brightness to the pixel but colour at half the resolution.
double peakSignalToNoise(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    const auto luma = [](const uchar* rgb) {
        return 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
    };
    double squares = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const double d =
                luma(x.constScanLine(row) + 3 * column) - luma(y.constScanLine(row) + 3 * column);
            squares += d * d;
        }
    }
    const double mean = squares / (double(x.width()) * x.height());
    return mean == 0 ? 100 : 10 * std::log10(255.0 * 255.0 / mean);
}

struct Result
{
    int status = -1;
    QString out;
    QString err;
};

} // namespace

// rotavis-convert as a script runs it.
class TestRotavisConvert : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString config;
    QString clip;  // 8 pictures at 18 fps, 96 x 64
    QString solid; // 3 pictures of one colour

    // Runs `program` to its end: its status (-2 when a signal ended it) and its output.
    static Result finish(QProcess& process, const QString& program, const QStringList& arguments)
    {
        process.start(program, arguments);
        Result result;
        if (!process.waitForFinished(300000))
            return result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    Result run(const QStringList& arguments)
    {
        QProcess process;
        return finish(process, ROTAVIS_CONVERT, arguments);
    }

    Result runWithKernel(const QString& kernel, const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ROTAVIS_KERNEL", kernel);
        process.setProcessEnvironment(environment);
        return finish(process, ROTAVIS_CONVERT, arguments);
    }

    Result convert(const QString& panel, const QString& input, const QString& output,
                   const QStringList& more = {})
    {
        return run(QStringList{"--config", config, "--panel", panel, "--input", input, "--output",
                               output} +
                   more);
    }

    QString outputDir(const QString& name)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    // The converter from a shell: `script` runs with $CONVERTER, $CONFIG, $CLIP and $DIR (a
    // fresh folder) set, so that it can hand over names no QString argument could carry.
    Result shell(const QString& script, const QString& folder)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CONVERTER", ROTAVIS_CONVERT);
        environment.insert("CONFIG", config);
        environment.insert("CLIP", clip);
        environment.insert("DIR", folder);
        process.setProcessEnvironment(environment);
        return finish(process, "bash", {"-c", script});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        isolateUserSettings(dir.filePath("settings"));
        config = dir.filePath("fanconfig.xml");
        QVERIFY(writeFile(config, installation.toUtf8()));
        clip = TestMedia::pngClip(dir.path(), "clip.mkv", "18", 8, QSize(96, 64));
        QVERIFY(!clip.isEmpty());
        // A clip of three pictures of exactly (200, 100, 50).
        const QString still = dir.filePath("solid.png");
        QVERIFY(filled(96, 64, QColor(200, 100, 50)).save(still));
        solid = dir.filePath("solid.mkv");
        QString error;
        QVERIFY2(TestMedia::ffmpeg({"-loop", "1", "-framerate", "18", "-i", still, "-frames:v", "3",
                                    "-c:v", "png", "-pix_fmt", "rgb24", solid},
                                   &error),
                 qPrintable(error));
    }

    void helpDocumentsEverything()
    {
        const Result help = run({"--help"});
        QCOMPARE(help.status, 0);
        for (const char* word : {"--config",
                                 "--panel",
                                 "--input",
                                 "--output",
                                 "--overwrite",
                                 "--selection",
                                 "--list-panels",
                                 "--check-config",
                                 "--fan-view",
                                 "--quiet",
                                 "--inspect",
                                 "--frame",
                                 "--png",
                                 "--repair",
                                 "--version",
                                 "--start",
                                 "--end",
                                 "--timing",
                                 "--no-autorotate",
                                 "--brightness",
                                 "--contrast",
                                 "--saturation",
                                 "--gamma",
                                 "--rotate",
                                 "--mirror",
                                 "Exit status",
                                 "130",
                                 "143",
                                 "129"})
            QVERIFY2(help.out.contains(word), word);
    }

    void listsThePanels()
    {
        const Result list = run({"--config", config, "--list-panels"});
        QCOMPARE(list.status, 0);
        const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.at(0), QString("0  \"one small fan\"  64 x 64  18 Hz  1 fan"));
        QVERIFY(lines.at(1).contains("fan 0: 64 LEDs, layer 0, centre (32, 32), diameter 64"));
        QCOMPARE(lines.at(2), QString("1  \"pair\"  128 x 64  25 Hz  2 fans"));
        QVERIFY(lines.at(4).contains("fan 1: 60 LEDs, layer 1"));
    }

    void distinctExitStatuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("words");
        // Nothing is ever written into this folder: each call fails before the run.
        const QString folder = outputDir("status");
        const QString out = folder + "/out";
        const QString empty = outputDir("no clips");
        const auto conversion = [&](const QString& panel, const QStringList& more) {
            return QStringList{"--config", config, "--panel", panel} + more;
        };
        QTest::newRow("missing option") << QStringList{"--panel", "0"} << 2 << "--input";
        QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << "colour";
        QTest::newRow("one clip into a folder")
            << conversion("0", {"--input", clip, "--output", folder}) << 2 << "names a folder";
        QTest::newRow("one clip into a name ending in a slash")
            << conversion("0", {"--input", clip, "--output", out + "/"}) << 2 << "names a folder";
        QTest::newRow("two clips of one name")
            << conversion("0", {"--input", clip, "--input", clip, "--output", folder}) << 2
            << "would both be written";
        QTest::newRow("a folder without clips")
            << conversion("0", {"--input", empty, "--output", folder}) << 2 << "holds no clips";
        QTest::newRow("fan view beyond the clip")
            << conversion("0", {"--input", clip, "--output", out, "--fan-view", "8"}) << 2
            << "no frame 8 for --fan-view: " + clip + " gives about 8 frames";
        const auto ranged = [&](const QStringList& more) {
            return conversion("0", QStringList{"--input", clip, "--output", out} + more);
        };
        QTest::newRow("a start after the end") << ranged({"--start", "0.4", "--end", "0.2"}) << 2
                                               << "--start 0.4 is not before --end 0.2";
        QTest::newRow("a negative time")
            << ranged({"--start", "-1"}) << 2 << "--start '-1' is no time";
        QTest::newRow("a time that is no number")
            << ranged({"--end", "1:xx"}) << 2 << "--end '1:xx' is no time";
        QTest::newRow("an unknown timing")
            << ranged({"--timing", "smooth"}) << 2 << "--timing 'smooth' is unknown";
        QTest::newRow("a range without pictures")
            << ranged({"--start", "0:00:01.5"}) << 2
            << clip + " holds no picture from 1.5s to its end";
        QTest::newRow("no such index")
            << conversion("9", {"--input", clip, "--output", out}) << 3 << "no panel '9'";
        QTest::newRow("no such model")
            << conversion("nope", {"--input", clip, "--output", out}) << 3 << "no panel 'nope'";
        QTest::newRow("no configuration") << QStringList{"--config", dir.filePath("missing.xml"),
                                                         "--panel",  "0",
                                                         "--input",  clip,
                                                         "--output", out}
                                          << 3 << "missing.xml";
        const QString impossible = dir.filePath("impossible.xml");
        QVERIFY(writeFile(impossible, "<panels><panel model=\"huge\" width=\"64\" height=\"64\">"
                                      "<fan diameter=\"64\" ledpcs=\"1000000\" x=\"32\" y=\"32\"/>"
                                      "</panel><panel model=\"fast\" hz=\"1000.5\" width=\"64\" "
                                      "height=\"64\"><fan diameter=\"64\" ledpcs=\"64\" x=\"32\" "
                                      "y=\"32\"/></panel></panels>"));
        QTest::newRow("impossible LED count")
            << QStringList{"--config", impossible, "--panel", "0", "--input", clip, "--output", out}
            << 3 << "fan 0 has 1000000 LEDs";
        QTest::newRow("a rate above 1000 Hz")
            << QStringList{"--config", impossible, "--panel", "1", "--input", clip, "--output", out}
            << 3 << "panel \"fast\" plays at 1000.5 Hz";
        const QString twins = dir.filePath("twins.xml");
        QVERIFY(
            writeFile(twins, "<panels><panel model=\"Twin\"/><panel model=\"TWIN\"/></panels>"));
        QTest::newRow("a name of panels that differ in case only")
            << QStringList{"--config", twins, "--panel", "twin", "--input", clip, "--output", out}
            << 2 << "--panel 'twin' fits 0 \"Twin\", 1 \"TWIN\" in case only";
        const auto selection = [&](const QString& rectangle) {
            return conversion("0", {"--input", clip, "--output", out, "--selection", rectangle});
        };
        QTest::newRow("a selection beyond int")
            << selection("1e300,1e300,1,1") << 2 << "X is 1e+300";
        QTest::newRow("a selection larger than int")
            << selection("0,0,1e30,1e30") << 2 << "W is 1e+30";
        QTest::newRow("a selection without width") << selection("0,0,0,10") << 2 << "W is 0";
        QTest::newRow("a selection of negative height") << selection("0,0,10,-5") << 2 << "H is -5";
        QTest::newRow("a selection outside the picture")
            << selection("96,0,64,64") << 2
            << "--selection 96,0,64,64 lies wholly outside the 96 x 64 picture of " + clip;
        const auto adjusted = [&](const QString& option, const QString& value) {
            return conversion("0", {"--input", clip, "--output", out, option, value});
        };
        QTest::newRow("a gamma beyond its range")
            << adjusted("--gamma", "5.01") << 2
            << "--gamma takes a number from 0.2 to 5, not '5.01'";
        QTest::newRow("a brightness that is no number")
            << adjusted("--brightness", "bright") << 2 << "--brightness takes a number";
        QTest::newRow("a saturation that is not a number")
            << adjusted("--saturation", "nan") << 2 << "--saturation takes a number";
        QTest::newRow("a negative contrast") << adjusted("--contrast", "-1") << 2 << "--contrast";
        QTest::newRow("a rotation by other than quarter turns")
            << adjusted("--rotate", "45") << 2 << "--rotate takes 0, 90, 180 or 270, not '45'";
        QTest::newRow("an adjustment without a conversion")
            << QStringList{"--inspect", config, "--mirror"} << 2
            << "--mirror goes with a conversion";
        QTest::newRow("unreadable media")
            << conversion("0", {"--input", config, "--output", out}) << 4 << "gives no picture";
        const QString fifo = dir.filePath("fifo");
        QFile::remove(fifo);
        ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
        QTest::newRow("a FIFO") << conversion("0", {"--input", fifo, "--output", out}) << 4
                                << "can be read only once";
        QTest::newRow("standard input") << conversion("0", {"--input", "pipe:0", "--output", out})
                                        << 4 << "can be read only once";
        QTest::newRow("inspect a FIFO")
            << QStringList{"--inspect", fifo} << 4 << "can be read only once";
        QTest::newRow("missing media")
            << conversion("0", {"--input", dir.filePath("no.mp4"), "--output", out}) << 4
            << "no.mp4: no such file";
        const QString silent = dir.filePath("silent.mkv");
        QVERIFY(TestMedia::ffmpeg({"-f", "lavfi", "-i", "testsrc2=d=0", "-f", "lavfi", "-i",
                                   "sine=d=0.5", "-c:v", "png", silent}));
        QTest::newRow("video without pictures")
            << conversion("0", {"--input", silent, "--output", out}) << 4
            << "none of its video streams gives a picture";
        QTest::newRow("unwritable output")
            << conversion("pair", {"--input", clip, "--output", dir.filePath("no/such/dir/name")})
            << 5 << "name__0.bin";
        QTest::newRow("inspect a missing file")
            << QStringList{"--inspect", dir.filePath("none.bin")} << 1 << "none.bin";
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "rotavis-convert " ROTAVIS_VERSION " (Qt ";
    }

    void distinctExitStatuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, words);
        const Result result = run(arguments);
        QCOMPARE(result.status, status);
        QVERIFY2((result.out + result.err).contains(words), qPrintable(result.out + result.err));
        // A refused call says what is wrong in one line and where to read more.
        if (status == 2) {
            QCOMPARE(result.err.count('\n'), 1);
            QVERIFY2(result.err.contains("(see --help)"), qPrintable(result.err));
        }
        QVERIFY(QDir(dir.filePath("status")).isEmpty());
    }

    // Names that are not UTF-8 reach FFmpeg and the file system byte for byte.
    void pathsKeepEveryByte()
    {
        const QString folder = outputDir("bytes");
        const Result result =
            shell("in=$(printf '%s/clip\\xff.mkv' \"$DIR\"); out=$(printf '%s/out\\xfe' \"$DIR\"); "
                  "cp \"$CLIP\" \"$in\" && "
                  "exec \"$CONVERTER\" --config \"$CONFIG\" --panel 0 --input \"$in\" "
                  "--output \"$out\" --quiet",
                  folder);
        QVERIFY2(result.status == 0, qPrintable(result.err));
        struct stat status = {};
        const QByteArray written = QFile::encodeName(folder) + "/out\xfe.bin";
        QCOMPARE(::stat(written.constData(), &status), 0);
        QCOMPARE(qint64(status.st_size), 8 * frameRecordSize(64));
        ::unlink(written.constData());
        ::unlink((QFile::encodeName(folder) + "/clip\xff.mkv").constData());
    }

    // Below the file size limit a write fails with its error: the run says so and cuts back
    // to whole frames, instead of the signal killing it in the middle of a record.
    void fileSizeLimitIsAWriteFailure()
    {
        const QString folder = outputDir("limited");
        const Result result = shell("ulimit -f 1; exec \"$CONVERTER\" --config \"$CONFIG\" "
                                    "--panel 0 --input \"$CLIP\" --output \"$DIR/small\" --quiet",
                                    folder);
        QCOMPARE(result.status, 5);
        QVERIFY2(result.err.contains("File too large"), qPrintable(result.err));
        QCOMPARE(QFileInfo(folder + "/small.bin").size(), qint64(0));
    }

    // A killed conversion leaves its files at different lengths, the last record of some cut
    // inside a packet: --repair cuts the set back to the frames every file holds whole.
    void repairCutsASetBackToWholeFrames_data()
    {
        QTest::addColumn<qint64>("firstKeeps");  // bytes of fan 0's file left by the kill
        QTest::addColumn<qint64>("secondKeeps"); // the same for fan 1
        QTest::addColumn<int>("whole");
        const qint64 first = frameRecordSize(64);
        const qint64 second = frameRecordSize(60);
        QTest::newRow("one file a frame behind") << 6 * first << 5 * second << 5;
        QTest::newRow("cut inside a packet") << 5 * first + 1000 << 6 * second + 7 << 5;
        QTest::newRow("cut inside the first packet") << qint64(5) << second + 7 << 0;
        QTest::newRow("nothing to cut") << 8 * first << 8 * second << 8;
    }

    void repairCutsASetBackToWholeFrames()
    {
        QFETCH(qint64, firstKeeps);
        QFETCH(qint64, secondKeeps);
        QFETCH(int, whole);
        const QString folder = outputDir("repair");
        const QString full = folder + "/full";
        QCOMPARE(convert("pair", clip, full, {"--overwrite", "--quiet"}).status, 0);
        const QByteArray files[] = {contentsOf(full + "__0.bin"), contentsOf(full + "__1.bin")};
        const QString killed = folder + "/killed";
        QVERIFY(writeFile(killed + "__0.bin", files[0].left(int(firstKeeps))));
        QVERIFY(writeFile(killed + "__1.bin", files[1].left(int(secondKeeps))));

        const Result repair = run({"--repair", killed});
        QCOMPARE(repair.status, 0);
        QCOMPARE(repair.out.contains("cut from"), firstKeeps != whole * frameRecordSize(64) ||
                                                      secondKeeps != whole * frameRecordSize(60));
        QCOMPARE(contentsOf(killed + "__0.bin"), files[0].left(int(whole * frameRecordSize(64))));
        QCOMPARE(contentsOf(killed + "__1.bin"), files[1].left(int(whole * frameRecordSize(60))));
    }

    // --repair cuts only what a stopped or killed run leaves, and --inspect passes only whole
    // files: anything else is named with its file and byte, and left as it is.
    void repairAndInspectLeaveDamageAlone_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("words");
        QTest::newRow("a header of frame 1") << "frame1"
                                             << "repair"
                                             << "set__1.bin: byte 75201: the line index";
        QTest::newRow("a header of frame 0") << "frame0"
                                             << "repair"
                                             << "set__1.bin: byte 1129: the line index";
        QTest::newRow("a file missing") << "missing"
                                        << "repair"
                                        << "set__0.bin is missing";
        QTest::newRow("files more than a frame apart") << "apart"
                                                       << "repair"
                                                       << "not a cut-off set";
        QTest::newRow("a file that ends between packets")
            << "between"
            << "inspect"
            << "byte 77080: the file ends inside frame 1 after 10 of its packets";
    }

    void repairAndInspectLeaveDamageAlone()
    {
        QFETCH(QString, damage);
        QFETCH(QString, command);
        QFETCH(QString, words);
        const QString source = outputDir("whole") + "/set";
        if (!QFile::exists(source + "__1.bin"))
            QCOMPARE(convert("pair", clip, source, {"--quiet"}).status, 0);
        const QString folder = outputDir("damaged-" + damage);
        const QString out = folder + "/set";
        QByteArray files[] = {contentsOf(source + "__0.bin"), contentsOf(source + "__1.bin")};
        const int packet = 8 + 3 * 60;
        if (damage == "frame1")
            files[1][int(frameRecordSize(60)) + 1] = 'x';
        else if (damage == "frame0")
            files[1][6 * packet + 1] = 'x';
        else if (damage == "apart")
            files[1].truncate(int(frameRecordSize(60)));
        else if (damage == "between")
            files[1].truncate(int(frameRecordSize(60)) + 10 * packet);
        for (int fan = damage == "missing" ? 1 : 0; fan < 2; ++fan)
            QVERIFY(writeFile(QString("%1__%2.bin").arg(out).arg(fan), files[fan]));

        const Result result = run({"--" + command, command == "repair" ? out : out + "__1.bin"});
        QCOMPARE(result.status, 6);
        QVERIFY2(result.err.contains(words), qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
        for (int fan = damage == "missing" ? 1 : 0; fan < 2; ++fan)
            QCOMPARE(contentsOf(QString("%1__%2.bin").arg(out).arg(fan)), files[fan]);
        QCOMPARE(run({"--repair", folder + "/none"}).status, 2);
    }

    // Every output follows the same rules: inside the folder it was given, replaced only with
    // --overwrite and only once the new file is whole, never an input, never a pipe or
    // device, never while another run writes it. Each script leaves files named keep*
    // holding "earlier"; they must still hold it.
    void outputsFollowTheSameRules_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("words");
        const QString convert = "\"$CONVERTER\" --config \"$CONFIG\" --quiet ";
        const QString keep = "printf earlier > \"$DIR/%1\"; ";
        QTest::newRow("a clip that names no files")
            << keep.arg("keep.bin") + "mkdir -p \"$DIR/keep\"; cp \"$CLIP\" \"$DIR/.mkv\"; " +
                   convert +
                   "--panel 0 --input \"$DIR/.mkv\" --input \"$CLIP\" --output \"$DIR/keep\" -y"
            << 2 << "gives no name for its fan data files";
        QTest::newRow("a set another run writes")
            << keep.arg("keep.bin") + "exec flock \"$DIR/keep.bin\" " + convert +
                   "--panel 0 --input \"$CLIP\" --output \"$DIR/keep\" -y"
            << 2 << "another conversion or save is writing it";
        QTest::newRow("the disk full during the first frame")
            << keep.arg("keep__0.bin") + keep.arg("keep__1.bin") + "ulimit -f 1; exec " + convert +
                   "--panel pair --input \"$CLIP\" --output \"$DIR/keep\" -y"
            << 5 << "File too large";
        const QString inspect = convert + "--panel 0 --input \"$CLIP\" --output \"$DIR/f\" && " +
                                "\"$CONVERTER\" --inspect \"$DIR/f.bin\" --png ";
        QTest::newRow("a picture over the inspected file")
            << inspect + "\"$DIR/f.bin\" -y" << 2 << "is the file being inspected";
        QTest::newRow("a picture over a file")
            << keep.arg("keep.png") + inspect + "\"$DIR/keep.png\"" << 2
            << "keep.png exists; --overwrite (-y)";
        QTest::newRow("a picture into a FIFO")
            << "mkfifo \"$DIR/fifo.png\"; " + inspect + "\"$DIR/fifo.png\" -y" << 5
            << "not a regular file";
    }

    void outputsFollowTheSameRules()
    {
        QFETCH(QString, script);
        QFETCH(int, status);
        QFETCH(QString, words);
        const QString folder = outputDir(QString("rules-%1").arg(QTest::currentDataTag()));
        const Result result = shell(script, folder);
        QCOMPARE(result.status, status);
        QVERIFY2(result.err.contains(words), qPrintable(result.err));
        const QStringList kept = QDir(folder).entryList({"keep*"}, QDir::Files);
        for (const QString& name : kept)
            QCOMPARE(contentsOf(folder + "/" + name), QByteArray("earlier"));
        QCOMPARE(QDir(folder).entryList({".keep*"}, QDir::Files | QDir::Hidden), QStringList());
        if (QFile::exists(folder + "/f.bin"))
            QCOMPARE(contentsOf(folder + "/f.bin").size(), 8 * frameRecordSize(64));
    }

    void outputThatIsADirectoryIsReported()
    {
        // The single fan's file name is taken by a directory.
        const QString out = outputDir("taken");
        QDir().mkpath(out + "/name.bin");
        const Result result = convert("0", clip, out + "/name");
        QCOMPARE(result.status, 5);
        QVERIFY2(result.err.contains("name.bin"), qPrintable(result.err));
    }

    void defaultSelectionGivesTheWindowsFiles()
    {
        // The window reads its installation from beside the executable: beside this test.
        const QString beside = QCoreApplication::applicationDirPath() + "/fanconfig.xml";
        QVERIFY(writeFile(beside, installation.toUtf8()));
        const QString windowDir = outputDir("window");
        {
            MessageCapture quiet;
            MainWindow window;
            DialogAnswerer dialogs;
            dialogs.chooseFile(clip);
            window.findChild<QPushButton*>("pushButton_open")->click();
            QCOMPARE(dialogs.pending(), 0);

            auto* panels = window.findChild<QComboBox*>("comboBox_panels");
            panels->setCurrentIndex(1);
            emit panels->activated(1);

            dialogs.enterText("pair");
            dialogs.chooseDirectory(windowDir);
            dialogs.accept(); // the "Saved" box
            auto* save = window.findChild<QPushButton*>("pushButton_save");
            const QString saveText = save->text();
            save->click();
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.pending(), 0, 60000);
            QVERIFY(dialogs.problems().isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled() && save->text() == saveText, 60000);
        }
        QFile::remove(beside);

        const QString toolDir = outputDir("tool");
        const Result result = convert("pair", clip, toolDir + "/pair");
        QCOMPARE(result.status, 0);
        for (const QString name : {"pair__0.bin", "pair__1.bin"}) {
            const QByteArray fromWindow = contentsOf(windowDir + "/" + name);
            QVERIFY(!fromWindow.isEmpty());
            QVERIFY2(fromWindow == contentsOf(toolDir + "/" + name), qPrintable(name));
        }
    }

    // A clip converts byte for byte like the clip of the pictures the options ask for, made
    // with the ffmpeg tool: a phone's portrait clip like its pictures physically turned, a
    // range like the clip cut to it.
    void convertsLikeTheEquivalentClip_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("equivalent");
        const QString turned = TestMedia::rotatedClip(clip, dir.filePath("portrait.mov"), 90);
        QVERIFY(!turned.isEmpty());
        // The ffmpeg tool shows this matrix turned counter-clockwise.
        QCOMPARE(TestMedia::rgbFrames(turned),
                 TestMedia::rgbFrames(clip, {"-vf", "transpose=cclock"}));
        QTest::newRow("upright") << turned << QStringList()
                                 << TestMedia::filteredClip(turned, dir.filePath("upright.mkv"),
                                                            "transpose=cclock");
        QTest::newRow("kept as coded") << turned << QStringList{"--no-autorotate"} << clip;
        const QString h264 = TestMedia::reusedClip(
            dir.path(), "range-h264.mp4", "25", 60, QSize(96, 64),
            {"-c:v", "libx264", "-bf", "3", "-g", "20", "-pix_fmt", "yuv420p"});
        QVERIFY(!h264.isEmpty());
        QTest::newRow("pictures 22 to 46")
            << h264 << QStringList{"--start", "0.88", "--end", "0:00:01.880"}
            << TestMedia::filteredClip(h264, dir.filePath("cut.mkv"),
                                       "trim=start_frame=22:end_frame=47,setpts=PTS-STARTPTS",
                                       {"-c:v", "ffv1", "-pix_fmt", "yuv420p"});
        QTest::newRow("timing of the range")
            << h264 << QStringList{"--start", "0.88", "--end", "1.88", "--timing", "exact"}
            << TestMedia::filteredClip(h264, dir.filePath("cut.mkv"),
                                       "trim=start_frame=22:end_frame=47,setpts=PTS-STARTPTS",
                                       {"-c:v", "ffv1", "-pix_fmt", "yuv420p"}) +
                   "|exact";
    }

    void convertsLikeTheEquivalentClip()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, options);
        QFETCH(QString, equivalent);
        QStringList equivalentOptions{"--quiet"};
        if (equivalent.endsWith("|exact")) {
            equivalent.chop(6);
            equivalentOptions << "--timing"
                              << "exact";
        }
        QVERIFY(!equivalent.isEmpty());
        const QString folder = outputDir(QString("equivalent-%1").arg(QTest::currentDataTag()));
        QCOMPARE(convert("pair", input, folder + "/asked", options + QStringList{"--quiet"}).status,
                 0);
        QCOMPARE(convert("pair", equivalent, folder + "/made", equivalentOptions).status, 0);
        for (const QString fan : {"__0.bin", "__1.bin"}) {
            const QByteArray made = contentsOf(folder + "/made" + fan);
            QVERIFY(!made.isEmpty());
            QVERIFY2(contentsOf(folder + "/asked" + fan) == made, qPrintable(fan));
        }
    }

    // Each kernel ROTAVIS_KERNEL forces writes the files of the default one, blending and
    // every blade type included; one this processor cannot run, or that does not exist, is
    // refused before anything is written.
    void forcedKernelsWriteTheSameFiles()
    {
        const QStringList panels = {"pair", "every blade"};
        const QString reference = outputDir("kernel default");
        for (const QString& panel : panels)
            QCOMPARE(convert(panel, clip, reference + "/" + panel).status, 0);
        for (const QString name : {"scalar", "sse2", "avx2", "gfni", "neon"}) {
            const QString folder = outputDir("kernel " + name);
            const KernelChoice choice = chooseKernel(name);
            for (const QString& panel : panels) {
                const Result result =
                    runWithKernel(name, {"--config", config, "--panel", panel, "--input", clip,
                                         "--output", folder + "/" + panel});
                if (!choice.error.isEmpty()) {
                    QCOMPARE(result.status, 2);
                    QVERIFY2(result.err.contains("ROTAVIS_KERNEL=" + name), qPrintable(result.err));
                    QVERIFY(QDir(folder).isEmpty());
                    continue;
                }
                QCOMPARE(result.status, 0);
                const QStringList files = QDir(reference).entryList({panel + "__*.bin"});
                QVERIFY(!files.isEmpty());
                for (const QString& file : files) {
                    QVERIFY2(contentsOf(folder + "/" + file) == contentsOf(reference + "/" + file),
                             qPrintable(name + ": " + file));
                }
            }
        }
    }

    void selectionIsHonoured()
    {
        // The same run in this process, with the panel's selection set as the window sets it.
        const QRectF selection(10.5, 4, 60, 30);
        const QString reference = outputDir("reference") + "/one";
        {
            MessageCapture quiet;
            LoadedPanels panels;
            QVERIFY(panels.load(config));
            Panel* panel = panels.at(0);
            panel->selection = selection;
            Core core;
            core.setFileName(clip);
            core.beginOutput(reference, panel);
        }
        const QString chosen = outputDir("chosen") + "/one";
        const Result stretched =
            convert("0", clip, chosen, {"--selection", "10.5,4,60,30", "--quiet"});
        QCOMPARE(stretched.status, 0);
        const QString centred = outputDir("centred") + "/one";
        QCOMPARE(convert("0", clip, centred, {"--quiet"}).status, 0);

        const QByteArray expected = contentsOf(reference + ".bin");
        QCOMPARE(expected.size(), 8 * 400 * (8 + 3 * 64));
        QVERIFY(contentsOf(chosen + ".bin") == expected);
        QVERIFY(contentsOf(centred + ".bin") != expected);
        // Proportions other than the panel's are converted as given, stretched, with a word.
        QCOMPARE(stretched.err.count('\n'), 1);
        QVERIFY2(stretched.err.contains("--selection 10.5,4,60,30 is 2:1"),
                 qPrintable(stretched.err));
    }

    // A conversion with picture adjustments gives the files of the same clip adjusted
    // beforehand, frame by frame by the formula, into a lossless RGB clip.
    void adjustmentsEqualAClipAdjustedBeforehand_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("common"); // given to both conversions
        QTest::addColumn<double>("brightness");
        QTest::addColumn<double>("contrast");
        QTest::addColumn<double>("saturation");
        QTest::addColumn<double>("gamma");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<bool>("mirror");
        QTest::newRow("colours, saturation unchanged")
            << QStringList{"--brightness", "-0.1", "--contrast", "1.4", "--gamma", "2.2"}
            << QStringList() << -0.1 << 1.4 << 1.0 << 2.2 << 0 << false;
        QTest::newRow("all four colours, turned and mirrored")
            << QStringList{"--brightness", "0.05", "--contrast", "0.8", "--saturation", "1.7",
                           "--gamma",      "0.6",  "--rotate",   "90",  "--mirror"}
            << QStringList() << 0.05 << 0.8 << 1.7 << 0.6 << 90 << true;
        QTest::newRow("half a turn, a selection across the edge")
            << QStringList{"--rotate", "180", "--saturation", "2"}
            << QStringList{"--selection", "-10,20,80,40"} << 0.0 << 1.0 << 2.0 << 1.0 << 180
            << false;
    }

    void adjustmentsEqualAClipAdjustedBeforehand()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, common);
        TestAdjustments::Values values;
        QFETCH(double, brightness);
        QFETCH(double, contrast);
        QFETCH(double, saturation);
        QFETCH(double, gamma);
        QFETCH(int, rotation);
        QFETCH(bool, mirror);
        values = {brightness, contrast, saturation, gamma, rotation, mirror};

        const QString folder = outputDir(QString("adjusted %1").arg(QTest::currentDataTag()));
        const QByteArray raw = TestMedia::rgbFrames(clip);
        const int frameBytes = 96 * 64 * 3;
        QCOMPARE(raw.size(), 8 * frameBytes);
        for (int f = 0; f < 8; ++f) {
            const QImage frame(reinterpret_cast<const uchar*>(raw.constData()) + f * frameBytes, 96,
                               64, 96 * 3, QImage::Format_RGB888);
            QVERIFY(TestAdjustments::adjusted(frame, values)
                        .save(folder + QString("/frame%1.png").arg(f)));
        }
        const QString beforehand = folder + "/beforehand.mkv";
        QVERIFY(TestMedia::ffmpeg({"-framerate", "18", "-i", folder + "/frame%d.png", "-c:v", "png",
                                   "-pix_fmt", "rgb24", beforehand}));

        common << "--quiet";
        QCOMPARE(convert("pair", clip, folder + "/adjusted", options + common).status, 0);
        QCOMPARE(convert("pair", beforehand, folder + "/reference", common).status, 0);
        for (const QString fan : {"__0.bin", "__1.bin"}) {
            const QByteArray expected = contentsOf(folder + "/reference" + fan);
            QCOMPARE(expected.size(), contentsOf(folder + "/adjusted" + fan).size());
            QVERIFY(!expected.isEmpty());
            QVERIFY2(contentsOf(folder + "/adjusted" + fan) == expected, qPrintable(fan));
        }
    }

    void progressIsPlainOffATerminalAndSilencedByQuiet()
    {
        const QString out = outputDir("progress") + "/one";
        const Result plain = convert("0", clip, out);
        QCOMPARE(plain.status, 0);
        QVERIFY(!plain.err.contains('\r'));
        QVERIFY2(plain.err.contains("Converted 8 frames"), qPrintable(plain.err));
        QVERIFY(plain.out.isEmpty());
        const Result quiet = convert("0", clip, out, {"--quiet", "--overwrite"});
        QCOMPARE(quiet.status, 0);
        QVERIFY2(quiet.err.isEmpty(), qPrintable(quiet.err));
    }

    // The decoder's and converter's diagnostic lines come on standard error when asked for,
    // and never on standard output.
    void diagnosticsOnlyWhenAsked_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("rules"); // QT_LOGGING_RULES
        QTest::addColumn<bool>("diagnostics");
        QTest::newRow("default") << QStringList() << QString() << false;
        QTest::newRow("--verbose") << QStringList{"--verbose"} << QString() << true;
        QTest::newRow("rules") << QStringList() << "rotavis.decode.debug=true" << true;
        QTest::newRow("rules off") << QStringList() << "rotavis.window.debug=true" << false;
    }

    void diagnosticsOnlyWhenAsked()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, rules);
        QFETCH(bool, diagnostics);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_LOGGING_RULES");
        if (!rules.isEmpty())
            environment.insert("QT_LOGGING_RULES", rules);
        process.setProcessEnvironment(environment);
        const QString out = outputDir("diagnostics") + "/one";
        const Result result = finish(process, ROTAVIS_CONVERT,
                                     QStringList{"--config", config, "--panel", "0", "--input",
                                                 clip, "--output", out, "--quiet", "--overwrite"} +
                                         options);
        QCOMPARE(result.status, 0);
        QVERIFY2(result.out.isEmpty(), qPrintable(result.out));
        QVERIFY2(result.err.isEmpty() != diagnostics, qPrintable(result.err));
    }

    void inspectsEveryBladeType()
    {
        const QString out = outputDir("every") + "/every";
        const QString three = dir.filePath("three.mkv");
        QVERIFY(QFile::copy(TestMedia::pngClip(dir.path(), "three-src.mkv", "18", 3, QSize(80, 80)),
                            three));
        QCOMPARE(convert("every blade", three, out, {"--quiet"}).status, 0);
        const int leds[] = {1088, 704, 512, 320, 256, 224, 192, 99};
        for (int i = 0; i < 8; ++i) {
            const QString file = QString("%1__%2.bin").arg(out).arg(i);
            const Result report = run({"--inspect", file});
            QCOMPARE(report.status, 0);
            const QString expected =
                QString("%1 LEDs, %2 lines per frame, 3 frames (%3 bytes a frame)")
                    .arg(leds[i])
                    .arg(leds[i] == 1088 ? 399 : 400)
                    .arg(frameRecordSize(leds[i]));
            QVERIFY2(report.out.contains(expected), qPrintable(report.out));
        }
    }

    void inspectNamesTheDamage_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("words");
        QTest::newRow("truncated") << "truncated"
                                   << "ends inside";
        QTest::newRow("wrong marker") << "marker"
                                      << "marker";
        QTest::newRow("wrong length") << "length"
                                      << "marker";
    }

    void inspectNamesTheDamage()
    {
        QFETCH(QString, damage);
        QFETCH(QString, words);
        const QString source = outputDir("damage") + "/pair";
        if (!QFile::exists(source + "__1.bin"))
            QCOMPARE(convert("1", clip, source, {"--quiet"}).status, 0);
        QByteArray bytes = contentsOf(source + "__1.bin");
        const int packet = 8 + 3 * 60;
        qint64 offset = 0;
        if (damage == "truncated") {
            bytes.chop(100);
            offset = bytes.size() - (packet - 100);
        } else if (damage == "marker") {
            offset = 400 * packet;
            bytes[int(offset)] = 0;
        } else {
            bytes.remove(10 * packet + 50, 1);
            offset = 11 * packet;
        }
        const QString damaged = dir.filePath("damaged-" + damage + ".bin");
        QVERIFY(writeFile(damaged, bytes));
        const Result report = run({"--inspect", damaged});
        QCOMPARE(report.status, 6);
        QVERIFY2(report.err.contains(QString("byte %1: ").arg(offset)), qPrintable(report.err));
        QVERIFY2(report.err.contains(words), qPrintable(report.err));
    }

    void fanViewOfOneColour()
    {
        const QString out = outputDir("view") + "/solid";
        QCOMPARE(convert("0", solid, out, {"--fan-view", "1", "--quiet"}).status, 0);
        const QImage view(out + ".view.png");
        QVERIFY(!view.isNull());
        QVERIFY(view.width() >= 400);
        // (200, 100, 50) through the squaring curve: (156, 39, 9) on every LED of the disc.
        const QColor lit(156, 39, 9);
        const int w = view.width();
        for (int i = 1; i < 10; ++i) {
            QCOMPARE(view.pixelColor(w * i / 10, w / 2), lit);
            QCOMPARE(view.pixelColor(w / 2, w * i / 10), lit);
        }
        QCOMPARE(view.pixelColor(2, 2), QColor(Qt::black));
        QCOMPARE(view.pixelColor(w - 3, w - 3), QColor(Qt::black));

        // --inspect renders the same picture from the file.
        const QString png = dir.filePath("inspected.png");
        QCOMPARE(run({"--inspect", out + ".bin", "--frame", "1", "--png", png}).status, 0);
        QCOMPARE(QImage(png), view);
        QCOMPARE(run({"--inspect", out + ".bin", "--frame", "3", "--png", png}).status, 2);
    }

    void batchConvertsEachClipAndKeepsExistingFiles()
    {
        // Two clips and a file that is none, in a folder, for a panel whose 192-LED blade
        // swaps the halves of its lines in turns counted over the run.
        const QString clips = outputDir("clips");
        QVERIFY(QFile::copy(clip, clips + "/a.mkv"));
        QVERIFY(QFile::copy(solid, clips + "/b.mkv"));
        QVERIFY(writeFile(clips + "/notes.txt", "not a clip"));
        const QString show = dir.filePath("show");
        const QStringList batch{"--config", config, "--panel",  "packed",
                                "--input",  clips,  "--output", show};

        const Result first = run(batch);
        QCOMPARE(first.status, 4); // the worst of the clips'
        const QStringList table = first.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(table.size(), 4);
        QVERIFY(table.at(0).startsWith("clip"));
        const QRegularExpression row("^(\\S+)\\s+(\\d+)\\s+(\\d+)\\s+\\d+:\\d\\d:\\d\\d\\s+(.+)$");
        const QString expected[3][4] = {{"a.mkv", "8", "1", "done"},
                                        {"b.mkv", "3", "1", "done"},
                                        {"notes.txt", "0", "0", "no picture (4)"}};
        for (int i = 0; i < 3; ++i) {
            const QRegularExpressionMatch match = row.match(table.at(i + 1));
            QVERIFY2(match.hasMatch(), qPrintable(table.at(i + 1)));
            QVERIFY(match.captured(1).endsWith(expected[i][0]));
            for (int column = 1; column < 4; ++column)
                QCOMPARE(match.captured(column + 1), expected[i][column]);
        }
        QCOMPARE(first.err.count("[1/3] "), 1);
        QCOMPARE(first.err.count("[2/3] "), 1);

        // Each clip's files are those of a conversion of that clip alone.
        const QString alone = outputDir("alone") + "/b";
        QCOMPARE(convert("packed", solid, alone, {"--quiet"}).status, 0);
        QCOMPARE(contentsOf(show + "/b.bin"), contentsOf(alone + ".bin"));
        QCOMPARE(contentsOf(show + "/a.bin").size(), 8 * frameRecordSize(192));

        // Existing files stop the converter before it writes anything.
        QVERIFY(QFile::remove(show + "/b.bin"));
        const QByteArray a = contentsOf(show + "/a.bin");
        const Result refused = run(batch);
        QCOMPARE(refused.status, 2);
        QVERIFY2(refused.err.contains(show + "/a.bin exists"), qPrintable(refused.err));
        QVERIFY(!QFile::exists(show + "/b.bin"));
        QVERIFY(refused.out.isEmpty());

        QCOMPARE(run(batch + QStringList{"--overwrite", "--quiet"}).status, 4);
        QCOMPARE(contentsOf(show + "/a.bin"), a);
        QCOMPARE(contentsOf(show + "/b.bin"), contentsOf(alone + ".bin"));
    }

    void checkConfigFindsProbableMistakes_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("finding");
        const QString panel = "<panels>\n<panel model=\"p\" width=\"100\" height=\"100\">\n%1\n"
                              "</panel>\n</panels>\n";
        const QString fan = "<fan diameter=\"50\" ledpcs=\"320\" x=\"50\" y=\"50\" %1/>";
        QTest::newRow("the bundled installation") << QString() << 0 << ": nothing found";
        QTest::newRow("a rate that is no number")
            << "<panels>\n<panel model=\"p\" hz=\"abc\" width=\"9\" height=\"9\">\n"
               "<fan diameter=\"9\" ledpcs=\"320\" x=\"4.5\" y=\"4.5\"/></panel></panels>"
            << 3 << ":2: panel 0 \"p\": hz=\"abc\" is not a number; the window reads 18";
        QTest::newRow("an LED count that is no whole number")
            << panel.arg("<fan diameter=\"50\" ledpcs=\"320.5\" x=\"50\" y=\"50\"/>") << 3
            << ":3: fan 0 of panel 0 \"p\": ledpcs=\"320.5\" is not a whole number; the window "
               "reads 320";
        QTest::newRow("no diameter") << panel.arg("<fan ledpcs=\"320\" x=\"50\" y=\"50\"/>") << 3
                                     << ":3: fan 0 of panel 0 \"p\": diameter is 0 (missing)";
        QTest::newRow("a negative LED count")
            << panel.arg("<fan diameter=\"50\" ledpcs=\"-320\" x=\"50\" y=\"50\"/>") << 3
            << ":3: fan 0 of panel 0 \"p\": ledpcs is -320";
        QTest::newRow("an LED count that is no blade type")
            << panel.arg("<fan diameter=\"50\" ledpcs=\"300\" x=\"50\" y=\"50\"/>") << 3
            << ":3: fan 0 of panel 0 \"p\": 300 LEDs is no blade type";
        QTest::newRow("a fan reaching outside")
            << panel.arg(fan.arg("") + "\n" + fan.arg("").replace("x=\"50\"", "x=\"80\"")) << 3
            << ":4: fan 1 of panel 0 \"p\" reaches outside its panel";
        QTest::newRow("an attribute that is not read")
            << panel.arg(fan.arg("Z=\"1\"")) << 3
            << ":3: fan 0 of panel 0 \"p\": the attribute Z is not read";
        QTest::newRow("a panel too wide to convert")
            << "<panels>\n<panel model=\"p\" width=\"20000\" height=\"9\">"
               "<fan diameter=\"9\" ledpcs=\"320\" x=\"4.5\" y=\"4.5\"/></panel>\n</panels>"
            << 3 << ":2: panel 0 \"p\": a conversion refuses it (panel \"p\" is 20000 x 9 units";
        QTest::newRow("a panel without fans")
            << panel.arg("") << 3 << ":2: panel 0 \"p\" has no fans";
        QTest::newRow("a name given twice")
            << "<panels>\n<panel model=\"p\" width=\"9\" height=\"9\">"
               "<fan diameter=\"9\" ledpcs=\"320\" x=\"4.5\" y=\"4.5\"/></panel>\n"
               "<panel model=\"p\" width=\"9\" height=\"9\">"
               "<fan diameter=\"9\" ledpcs=\"320\" x=\"4.5\" y=\"4.5\"/></panel>\n</panels>"
            << 3 << ":3: panel 1 \"p\" has the name of panel 0 (line 2)";
        QTest::newRow("names that differ in case only")
            << "<panels>\n<panel model=\"Twin\" width=\"9\" height=\"9\">"
               "<fan diameter=\"9\" ledpcs=\"320\" x=\"4.5\" y=\"4.5\"/></panel>\n"
               "<panel model=\"TWIN\" width=\"9\" height=\"9\">"
               "<fan diameter=\"9\" ledpcs=\"320\" x=\"4.5\" y=\"4.5\"/></panel>\n</panels>"
            << 3 << ":3: panel 1 \"TWIN\" differs from panel 0 \"Twin\" (line 2) in case only";
        QTest::newRow("a rate above 1000 Hz")
            << "<panels>\n<panel model=\"p\" hz=\"1e9\" width=\"9\" height=\"9\">\n"
               "<fan diameter=\"9\" ledpcs=\"320\" x=\"4.5\" y=\"4.5\"/></panel></panels>"
            << 3 << ":2: panel 0 \"p\": hz=1000000000 is above 1000 Hz: a conversion refuses it";
        QTest::newRow("malformed XML")
            << panel.arg(fan.arg("").remove("/>")) << 3 << ":4:1: not well-formed XML";
        QTest::newRow("no such file") << "missing" << 3 << ": cannot be read";
    }

    void checkConfigFindsProbableMistakes()
    {
        QFETCH(QString, xml);
        QFETCH(int, status);
        QFETCH(QString, finding);
        QString path = ROTAVIS_BUNDLED_CONFIG;
        if (xml == "missing") {
            path = dir.filePath("missing.xml");
        } else if (!xml.isEmpty()) {
            path = dir.filePath("check.xml");
            QVERIFY(writeFile(path, xml.toUtf8()));
        }
        const Result result = run({"--check-config", path});
        QCOMPARE(result.status, status);
        QVERIFY2(result.out.startsWith(path + finding), qPrintable(result.out));
        if (status != 0)
            QVERIFY2(result.out.endsWith(path + ": 1 finding\n"), qPrintable(result.out));
    }

    // An interrupt, a polite kill or a closed terminal ends the run the way the window's stop
    // does: every file of the panel holds the same number of whole frames.
    void interruptLeavesWholeFramesOnly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("SIGINT") << int(SIGINT) << 130 << "interrupted";
        QTest::newRow("SIGTERM") << int(SIGTERM) << 143 << "terminated (SIGTERM)";
        QTest::newRow("SIGHUP") << int(SIGHUP) << 129 << "hung up (SIGHUP)";
    }

    void interruptLeavesWholeFramesOnly()
    {
        QFETCH(int, signal);
        QFETCH(int, status);
        QFETCH(QString, said);
        const QString longClip =
            TestMedia::reusedClip(dir.path(), "long.mkv", "18", 1800, QSize(32, 32));
        QVERIFY(!longClip.isEmpty());
        const QString out = outputDir(QString("interrupted%1").arg(signal)) + "/every";
        QProcess process;
        process.start(ROTAVIS_CONVERT,
                      {"--config", config, "--panel", "every blade", "--input", longClip,
                       "--output", out, "--video", out + ".mp4", "--video-size", "64"});
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(out + "__7.bin").size() > 0, 120000);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        QVERIFY(QString::fromLocal8Bit(process.readAllStandardError()).contains(said));

        QSet<qint64> frameCounts;
        for (int fan = 0; fan < 8; ++fan) {
            const Result report = run({"--inspect", QString("%1__%2.bin").arg(out).arg(fan)});
            QCOMPARE(report.status, 0);
            const QRegularExpressionMatch frames =
                QRegularExpression(", (\\d+) frames? \\(").match(report.out);
            QVERIFY2(frames.hasMatch(), qPrintable(report.out));
            frameCounts << frames.captured(1).toLongLong();
        }
        QCOMPARE(frameCounts.size(), 1);
        QVERIFY(*frameCounts.begin() > 0 && *frameCounts.begin() < 1800);
        // The video of the frames written is finished, and plays.
        QCOMPARE(TestMedia::rgbFrames(out + ".mp4").size(), *frameCounts.begin() * 64 * 64 * 3);
    }

    // A video, rendered from a saved set or beside the conversion that writes it, holds one
    // frame per frame of the set at the panel's rate, each showing what the fans show.
    void videoShowsWhatTheFansShow_data()
    {
        QTest::addColumn<bool>("played");
        QTest::newRow("from a saved set") << true;
        QTest::newRow("beside a conversion") << false;
    }

    void videoShowsWhatTheFansShow()
    {
        QFETCH(bool, played);
        const QString folder = outputDir(played ? "video-played" : "video-converted");
        const QString set = folder + "/pair";
        const QString video = folder + "/pair.mp4";
        const QStringList size{"--video-size", "320"};
        if (played) {
            QCOMPARE(convert("pair", clip, set, {"--quiet"}).status, 0);
            QCOMPARE(run(QStringList{"--config", config, "--panel", "pair", "--play", set,
                                     "--video", video, "--quiet"} +
                         size)
                         .status,
                     0);
        } else {
            QCOMPARE(
                convert("pair", clip, set, QStringList{"--video", video, "--quiet"} + size).status,
                0);
        }

        LoadedPanels panels;
        QVERIFY(panels.load(config));
        Panel* pair = panels.at(1);
        SetPlayer player;
        QVERIFY2(player.open(set), qPrintable(player.errorString()));
        Core reader;
        reader.setFileName(video);
        reader.panel = pair; // read at the panel's rate: picture for picture
        const VideoInfo info =
            Core::decodeVideo(collectFrame, &reader, FrameSource::noLimit, false);
        QCOMPARE(info.fps, 25.0);
        QCOMPARE(qint64(reader.frames.size()), player.frameCount());
        for (int f = 0; f < reader.frames.size(); ++f) {
            const QImage expected = player.picture(f, *pair, QSize(320, 160));
            QCOMPARE(reader.frames.at(f).size(), expected.size());
            const double psnr = peakSignalToNoise(reader.frames.at(f), expected);
            QVERIFY2(psnr > 30, qPrintable(QString("frame %1: %2 dB").arg(f).arg(psnr)));
        }
    }
};

QTEST_MAIN(TestRotavisConvert)
#include "tst_rotavisconvert.moc"
