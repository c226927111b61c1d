#include "core.h"
#include "dialoganswerer.h"
#include "fan.h"
#include "fanconfig.h"
#include "mainwindow.h"
#include "messagecapture.h"
#include "packets.h"
#include "panel.h"
#include "testmedia.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

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
</panels>)xml");

struct Result
{
    int status = -1;
    QString out;
    QString err;
};

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

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

    Result run(const QStringList& arguments)
    {
        QProcess process;
        process.start(ROTAVIS_CONVERT, arguments);
        Result result;
        if (!process.waitForFinished(300000))
            return result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
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

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        config = dir.filePath("fanconfig.xml");
        writeFile(config, installation.toUtf8());
        clip = TestMedia::pngClip(dir.path(), "clip.mkv", "18", 8, QSize(96, 64));
        QVERIFY(!clip.isEmpty());
        // A clip of three pictures of exactly (200, 100, 50).
        QImage picture(96, 64, QImage::Format_RGB888);
        picture.fill(QColor(200, 100, 50));
        const QString still = dir.filePath("solid.png");
        QVERIFY(picture.save(still));
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
        for (const char* word :
             {"--config", "--panel", "--input", "--output", "--selection", "--list-panels",
              "--fan-view", "--quiet", "--inspect", "--frame", "--png", "Exit status", "130"})
            QVERIFY2(help.out.contains(word), word);
    }

    void listsThePanels()
    {
        const Result list = run({"--config", config, "--list-panels"});
        QCOMPARE(list.status, 0);
        const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.at(0), QString("0  \"one small fan\"  64 x 64  18 Hz  1 fans"));
        QVERIFY(lines.at(1).contains("fan 0: 64 LEDs, layer 0, centre (32, 32), diameter 64"));
        QCOMPARE(lines.at(2), QString("1  \"pair\"  128 x 64  25 Hz  2 fans"));
        QVERIFY(lines.at(4).contains("fan 1: 60 LEDs, layer 1"));
    }

    void distinctExitStatuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("words");
        const QString out = dir.filePath("status");
        QTest::newRow("usage") << QStringList{"--panel", "0"} << 2 << "--input";
        QTest::newRow("no such index")
            << QStringList{"--config", config, "--panel", "9", "--input", clip, "--output", out}
            << 3 << "no panel '9'";
        QTest::newRow("no such model")
            << QStringList{"--config", config, "--panel", "nope", "--input", clip, "--output", out}
            << 3 << "no panel 'nope'";
        QTest::newRow("no configuration") << QStringList{"--config", dir.filePath("missing.xml"),
                                                         "--panel",  "0",
                                                         "--input",  clip,
                                                         "--output", out}
                                          << 3 << "missing.xml";
        QTest::newRow("unreadable media")
            << QStringList{"--config", config, "--panel", "0", "--input", config, "--output", out}
            << 4 << "gives no picture";
        QTest::newRow("missing media")
            << QStringList{"--config", config, "--panel", "0", "--input", dir.filePath("no.mp4"),
                           "--output", out}
            << 4 << "no.mp4";
        QTest::newRow("unwritable output")
            << QStringList{"--config", config, "--panel",  "pair",
                           "--input",  clip,   "--output", dir.filePath("no/such/dir/name")}
            << 5 << "name__0.bin";
        QTest::newRow("fan view of a frame that was not converted")
            << QStringList{"--config", config,     "--panel", "0",          "--input",
                           clip,       "--output", out,       "--fan-view", "50"}
            << 1 << "no frame 50";
        QTest::newRow("inspect a missing file")
            << QStringList{"--inspect", dir.filePath("none.bin")} << 1 << "none.bin";
    }

    void distinctExitStatuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, words);
        const Result result = run(arguments);
        QCOMPARE(result.status, status);
        QVERIFY2(result.err.contains(words), qPrintable(result.err));
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
        writeFile(beside, installation.toUtf8());
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

    void selectionIsHonoured()
    {
        // The same run in this process, with the panel's selection set as the window sets it.
        const QRectF selection(10.5, 4, 60, 30);
        const QString reference = outputDir("reference") + "/one";
        {
            MessageCapture quiet;
            QList<Panel*> panels;
            FanConfig::load(config, panels);
            Panel* panel = panels.at(0);
            panel->selection = selection;
            Core core;
            core.setFileName(clip);
            core.beginOutput(reference, panel);
            for (Panel* p : panels) {
                qDeleteAll(p->fans);
                delete p;
            }
        }
        const QString chosen = outputDir("chosen") + "/one";
        QCOMPARE(convert("0", clip, chosen, {"--selection", "10.5,4,60,30", "--quiet"}).status, 0);
        const QString centred = outputDir("centred") + "/one";
        QCOMPARE(convert("0", clip, centred, {"--quiet"}).status, 0);

        const QByteArray expected = contentsOf(reference + ".bin");
        QCOMPARE(expected.size(), 8 * 400 * (8 + 3 * 64));
        QVERIFY(contentsOf(chosen + ".bin") == expected);
        QVERIFY(contentsOf(centred + ".bin") != expected);
    }

    void progressIsPlainOffATerminalAndSilencedByQuiet()
    {
        const QString out = outputDir("progress") + "/one";
        const Result plain = convert("0", clip, out);
        QCOMPARE(plain.status, 0);
        QVERIFY(!plain.err.contains('\r'));
        QVERIFY2(plain.err.contains("Converted 8 frames"), qPrintable(plain.err));
        QVERIFY(plain.out.isEmpty());
        const Result quiet = convert("0", clip, out, {"--quiet"});
        QCOMPARE(quiet.status, 0);
        QVERIFY2(quiet.err.isEmpty(), qPrintable(quiet.err));
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
        writeFile(damaged, bytes);
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

    void interruptLeavesWholeFramesOnly()
    {
        const QString longClip =
            TestMedia::pngClip(dir.path(), "long.mkv", "18", 90, QSize(64, 64));
        QVERIFY(!longClip.isEmpty());
        const QString out = outputDir("interrupted") + "/large";
        QProcess process;
        process.start(ROTAVIS_CONVERT, {"--config", config, "--panel", "large", "--input", longClip,
                                        "--output", out});
        QVERIFY(process.waitForStarted());
        const qint64 record = frameRecordSize(1088);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(out + ".bin").size() >= record, 120000);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(QString::fromLocal8Bit(process.readAllStandardError()).contains("interrupted"));

        const qint64 size = QFileInfo(out + ".bin").size();
        QVERIFY(size > 0);
        QCOMPARE(size % record, qint64(0));
        QVERIFY(size < 90 * record);
        const Result report = run({"--inspect", out + ".bin"});
        QCOMPARE(report.status, 0);
        QVERIFY(report.out.contains(QString("%1 frames").arg(size / record)));
    }
};

QTEST_MAIN(TestRotavisConvert)
#include "tst_rotavisconvert.moc"
