#include "defaultselection.h"
#include "fan.h"
#include "installation.h"
#include "mainwindow.h"
#include "options.h"
#include "panel.h"
#include "playwidget.h"
#include "progressreporter.h"
#include "usersettings.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

// The pieces of rotavis-convert, one by one.
class TestConvertParts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir settingsFolder;

    static bool parse(const QStringList& arguments, Options* options, QString* error)
    {
        return parseOptions(QStringList{"rotavis-convert"} + arguments, "/default/fanconfig.xml",
                            options, error);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(settingsFolder.isValid());
        isolateUserSettings(settingsFolder.path());
    }

    void defaultSelectionIsTheCentredSquareOfAWidePicture()
    {
        Panel panel;
        panel.width = 320;
        panel.height = 320;
        QCOMPARE(defaultSelection(QSize(1600, 900), panel), QRectF(350, 0, 900, 900));
    }

    void defaultSelectionOfOtherShapes()
    {
        Panel wide;
        wide.width = 768;
        wide.height = 256;
        // 800 x 550 view: 640 x 360 gets scale 1.25, imageRect (0, 50, 800, 450); the 3:1
        // frame fills its width: 800 x 266 at (50, 182) in the area, 92 below the picture's top.
        const QRectF selection = defaultSelection(QSize(640, 360), wide);
        QCOMPARE(selection.x(), 0.0);
        QCOMPARE(selection.width(), 640.0);
        QCOMPARE(selection.y(), 92 / 1.25);
        QCOMPARE(selection.height(), 266 / 1.25);

        Panel empty;
        // No picture: nothing to select.
        QCOMPARE(defaultSelection(QSize(), empty), QRectF());
    }

    void previewViewIsWhereTheFormPutsIt()
    {
        MainWindow window;
        auto* view = window.findChild<PlayWidget*>("graphicsView");
        QVERIFY(view);
        QCOMPARE(view->geometry(), previewViewGeometry);
    }

    void conversionOptions()
    {
        Options options;
        QString error;
        QVERIFY(parse({"--panel", "2", "--input", "clip.mp4", "--output", "out/name", "--selection",
                       "1.5, 2,300,200.25", "--fan-view", "7", "--quiet"},
                      &options, &error));
        QCOMPARE(options.mode, Options::Mode::Convert);
        QCOMPARE(options.configPath, QString("/default/fanconfig.xml"));
        QCOMPARE(options.panel, QString("2"));
        QCOMPARE(options.inputs, QStringList{"clip.mp4"});
        QCOMPARE(options.outputPath, QString("out/name"));
        QVERIFY(options.hasSelection);
        QCOMPARE(options.selection, QRectF(1.5, 2, 300, 200.25));
        QCOMPARE(options.fanViewFrame, 7);
        QVERIFY(options.quiet);

        QVERIFY(parse({"--config", "x.xml", "--list-panels"}, &options, &error));
        QCOMPARE(options.mode, Options::Mode::ListPanels);
        QCOMPARE(options.configPath, QString("x.xml"));

        QVERIFY(parse(
            {"--panel", "0", "--input", "a.mp4", "--input", "clips", "--output", "show", "-y"},
            &options, &error));
        QCOMPARE(options.inputs, QStringList({"a.mp4", "clips"}));
        QVERIFY(options.overwrite);

        QVERIFY(parse({"--check-config"}, &options, &error));
        QCOMPARE(options.mode, Options::Mode::CheckConfig);
        QCOMPARE(options.configPath, QString("/default/fanconfig.xml"));
        QVERIFY(parse({"--check-config", "other.xml"}, &options, &error));
        QCOMPARE(options.configPath, QString("other.xml"));

        QVERIFY(parse({"--inspect", "a.bin", "--frame", "3", "--png", "a.png"}, &options, &error));
        QCOMPARE(options.mode, Options::Mode::Inspect);
        QCOMPARE(options.inspectFrame, 3);
        QCOMPARE(options.pngPath, QString("a.png"));
    }

    // Clip times: seconds with decimals or H:MM:SS.mmm, nothing else.
    void clipTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("us"); // -1: refused
        QTest::newRow("seconds") << "12" << qint64(12000000);
        QTest::newRow("decimals") << "0.88" << qint64(880000);
        QTest::newRow("leading point") << ".5" << qint64(500000);
        QTest::newRow("minutes") << "1:02.5" << qint64(62500000);
        QTest::newRow("hours") << "1:00:00.001" << qint64(3600001000);
        QTest::newRow("negative") << "-1" << qint64(-1);
        QTest::newRow("exponent") << "1e3" << qint64(-1);
        QTest::newRow("decimal comma") << "0,5" << qint64(-1);
        QTest::newRow("decimal minutes") << "1.5:00" << qint64(-1);
        QTest::newRow("four parts") << "1:1:1:1" << qint64(-1);
        QTest::newRow("empty part") << "1::00" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("beyond any clip") << "99999999999" << qint64(-1);
    }

    void clipTimes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, us);
        qint64 parsed = -1;
        const bool ok = parseClipTime(text, &parsed);
        QCOMPARE(ok, us >= 0);
        if (ok)
            QCOMPARE(parsed, us);
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("words");
        QTest::newRow("nothing") << QStringList() << "--panel";
        QTest::newRow("no output") << QStringList{"--panel", "0", "--input", "a"} << "--output";
        QTest::newRow("three numbers")
            << QStringList{"--panel", "0", "--input", "a", "--output", "b", "--selection", "1,2,3"}
            << "--selection";
        QTest::newRow("not numbers") << QStringList{"--panel",  "0", "--input",     "a",
                                                    "--output", "b", "--selection", "a,b,c,d"}
                                     << "--selection";
        QTest::newRow("decimal comma") << QStringList{"--panel",  "0", "--input",     "a",
                                                      "--output", "b", "--selection", "1,5;2;3;4"}
                                       << "--selection";
        QTest::newRow("negative frame")
            << QStringList{"--panel", "0", "--input", "a", "--output", "b", "--fan-view", "-1"}
            << "--fan-view";
        QTest::newRow("unknown option") << QStringList{"--colour"} << "colour";
        QTest::newRow("stray argument") << QStringList{"--list-panels", "extra"} << "extra";
        QTest::newRow("frame without inspect")
            << QStringList{"--list-panels", "--frame", "2"} << "--inspect";
        QTest::newRow("two outputs")
            << QStringList{"--panel", "0", "--input", "a", "--output", "b", "--output", "c"}
            << "--output";
        QTest::newRow("two files to check")
            << QStringList{"--check-config", "a.xml", "b.xml"} << "b.xml";
    }

    void badUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, words);
        Options options;
        QString error;
        QVERIFY(!parse(arguments, &options, &error));
        QVERIFY2(error.contains(words), qPrintable(error));
    }

    void panelsByPositionOrName()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("fanconfig.xml");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"(<panels><panel model="front"/><panel model="7"/><panel model="front"/>
                      <panel model="side wall"/><panel model="Front"/><panel model="side wall"/>
                      </panels>)");
        file.close();

        Installation installation;
        QString error;
        QVERIFY(installation.load(path, &error));
        const QList<Panel*>& panels = installation.panels();
        QCOMPARE(installation.find("0"), panels.at(0));
        QCOMPARE(installation.find("3"), panels.at(3));
        QCOMPARE(installation.find("side wall"), panels.at(3));
        // The first of two panels of one name; a number is always a position.
        QCOMPARE(installation.find("front"), panels.at(0));
        // The case matters only when the name matches exactly; in another case a name must
        // fit one model (given once or more), or the choice is left open.
        QCOMPARE(installation.find("Front"), panels.at(4));
        QCOMPARE(installation.find("Side Wall"), panels.at(3));
        QStringList ambiguous;
        QCOMPARE(installation.find("FRONT", &ambiguous), nullptr);
        QCOMPARE(ambiguous, QStringList({"0 \"front\"", "2 \"front\"", "4 \"Front\""}));
        QCOMPARE(installation.find("7"), nullptr);
        QCOMPARE(installation.find("6"), nullptr);
        QCOMPARE(installation.find("-1"), nullptr);
        QCOMPARE(installation.find(""), nullptr);

        Installation missing;
        QVERIFY(!missing.load(dir.filePath("none.xml"), &error));
        QVERIFY(error.contains("none.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("<panels/>");
        file.close();
        Installation empty;
        QVERIFY(!empty.load(path, &error));
        QVERIFY(error.contains("no panels"));
    }

    void progressText()
    {
        // 25 fps, 10 s: picture 125 is half-way; 4 s spent, so 4 s are left.
        const ProgressReporter live(stderr, true, 25, 10000);
        QCOMPARE(live.describe(60, 125, 4000),
                 QString("[###############...............]  50%  60 frames  0:00:04 left"));
        const ProgressReporter plain(stderr, false, 25, 10000);
        QCOMPARE(plain.describe(60, 125, 4000), QString(" 50%  60 frames  0:00:04 left"));
        // Unknown rate or length: only the count. A clip of a batch is named first.
        const ProgressReporter unknown(stderr, false, 0, 0, "[1/2] a.mp4");
        QCOMPARE(unknown.describe(1, 30, 4000), QString("[1/2] a.mp4: 1 frame"));
    }

    void liveProgressRedrawsOneLine()
    {
        std::FILE* stream = std::tmpfile();
        QVERIFY(stream);
        ProgressReporter live(stream, true, 25, 10000);
        live.update(6, 10);
        live.update(12, 20);
        live.conclude("done");
        std::rewind(stream);
        char buffer[512] = {};
        const size_t length = std::fread(buffer, 1, sizeof buffer - 1, stream);
        std::fclose(stream);
        const QString text = QString::fromLatin1(buffer, int(length));
        QCOMPARE(text.count('\r'), 3);
        QCOMPARE(text.count('\n'), 1);
        QVERIFY(text.contains("12 frames"));
        QVERIFY(text.endsWith("\rdone\033[K\n"));
    }
};

QTEST_MAIN(TestConvertParts)
#include "tst_convertparts.moc"
