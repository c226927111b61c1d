#include "diagnostics.h"
#include "fan.h"
#include "fanconfig.h"
#include "loadedpanels.h"
#include "panel.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cstdlib>
#include <memory>

class TestFanConfig : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    // A new file holding `contents`: its path, or an empty string when it cannot be written.
    QString configFile(const QByteArray& contents)
    {
        static int counter = 0;
        const QString path = dir.filePath(QString("fanconfig%1.xml").arg(++counter));
        return writeFile(path, contents) ? path : QString();
    }

    // Loads `contents` from a file of its own into `out`; returns what the load returned.
    bool load(const QByteArray& contents, LoadedPanels& out)
    {
        const QString path = configFile(contents);
        if (!QTest::qVerify(!path.isEmpty(), "!path.isEmpty()", "", __FILE__, __LINE__))
            return false;
        return out.load(path);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        Diagnostics::enable(); // the loader's lines are checked below
    }

    void readsPanelsAndFansInFileOrder()
    {
        LoadedPanels loaded;
        const bool ok = load(R"xml(<?xml version="1.0"?>
<panels>
  <panel model="first" hz="25" width="300.5" height="100" edge-offset="12"
         colorOffset0="0:(0,0,0,255)|1:(0,0,0,0)" colorOffset1="0.5:(1,2,3,4)">
    <fan diameter="100" ledpcs="704" x="50" y="60.25" z="1"/>
    <fan diameter="40" ledpcs="320" x="150" y="50" z="0"/>
  </panel>
  <panel model="second" width="10" height="20">
    <fan diameter="5" ledpcs="99" x="1" y="2" z="2"/>
  </panel>
</panels>)xml",
                             loaded);
        QVERIFY(ok);
        QCOMPARE(loaded.size(), 2);

        const Panel* first = loaded.at(0);
        QCOMPARE(first->model, QString("first"));
        QCOMPARE(first->hz, 25.0);
        QCOMPARE(first->width, 300.5);
        QCOMPARE(first->height, 100.0);
        QCOMPARE(first->edgeOffset, 12);
        QCOMPARE(first->colorOffset0, QString("0:(0,0,0,255)|1:(0,0,0,0)"));
        QCOMPARE(first->colorOffset1, QString("0.5:(1,2,3,4)"));
        QCOMPARE(first->selection, QRectF());
        QCOMPARE(first->fans.size(), 2);
        QCOMPARE(first->fans.at(0)->diameter, 100.0);
        QCOMPARE(first->fans.at(0)->ledpcs, 704);
        QCOMPARE(first->fans.at(0)->x, 50.0);
        QCOMPARE(first->fans.at(0)->y, 60.25);
        QCOMPARE(first->fans.at(0)->z, 1);
        QCOMPARE(first->fans.at(1)->ledpcs, 320);
        QCOMPARE(first->fans.at(1)->z, 0);

        const Panel* second = loaded.at(1);
        QCOMPARE(second->model, QString("second"));
        QCOMPARE(second->hz, 18.0);
        QCOMPARE(second->fans.size(), 1);
        QCOMPARE(second->fans.at(0)->z, 2);
        for (const Panel* panel : loaded.list()) {
            QCOMPARE(panel->parent(), nullptr);
            for (const Fan* fan : panel->fans) {
                QCOMPARE(fan->parent(), nullptr);
                QCOMPARE(fan->file, nullptr);
                QCOMPARE(fan->stream, nullptr);
            }
        }
    }

    void missingAttributesTakeTheirDefaults()
    {
        LoadedPanels loaded;
        QVERIFY(load("<panels><panel><fan/></panel></panels>", loaded));
        QCOMPARE(loaded.size(), 1);
        const Panel* panel = loaded.at(0);
        QCOMPARE(panel->hz, 18.0);
        QCOMPARE(panel->width, 0.0);
        QCOMPARE(panel->height, 0.0);
        QCOMPARE(panel->edgeOffset, 0);
        QVERIFY(panel->model.isEmpty());
        QVERIFY(panel->colorOffset0.isEmpty());
        QVERIFY(panel->colorOffset1.isEmpty());
        QCOMPARE(panel->fans.size(), 1);
        const Fan* fan = panel->fans.at(0);
        QCOMPARE(fan->diameter, 0.0);
        QCOMPARE(fan->ledpcs, 0);
        QCOMPARE(fan->x, 0.0);
        QCOMPARE(fan->y, 0.0);
        QCOMPARE(fan->z, 0);
    }

    void nonNumericAttributesReadAsTheirLeadingNumber()
    {
        LoadedPanels loaded;
        load(R"(<panels><panel width="wide" height="12px" edge-offset="x3">
                  <fan diameter="abc" ledpcs="320 LEDs" x="-4.5" y="" z="one"/>
                </panel></panels>)",
             loaded);
        QCOMPARE(loaded.size(), 1);
        const Panel* panel = loaded.at(0);
        QCOMPARE(panel->width, 0.0);
        QCOMPARE(panel->height, 12.0);
        QCOMPARE(panel->edgeOffset, 0);
        const Fan* fan = panel->fans.at(0);
        QCOMPARE(fan->diameter, 0.0);
        QCOMPARE(fan->ledpcs, 320);
        QCOMPARE(fan->x, -4.5);
        QCOMPARE(fan->y, 0.0);
        QCOMPARE(fan->z, 0);
    }

    void rateRule_data()
    {
        QTest::addColumn<QByteArray>("attribute");
        QTest::addColumn<double>("expected");
        QTest::newRow("zero") << QByteArray(R"(hz="0")") << 18.0;
        QTest::newRow("empty") << QByteArray(R"(hz="")") << 18.0;
        QTest::newRow("missing") << QByteArray() << 18.0;
        QTest::newRow("negative zero") << QByteArray(R"(hz="-0")") << 18.0;
        QTest::newRow("zero with decimals") << QByteArray(R"(hz="0.000")") << 18.0;
        QTest::newRow("not a number") << QByteArray(R"(hz="fast")") << 18.0;
        QTest::newRow("fraction") << QByteArray(R"(hz="25.5")") << 25.5;
        QTest::newRow("negative") << QByteArray(R"(hz="-5")") << -5.0;
        QTest::newRow("exponent") << QByteArray(R"(hz="2.4e1")") << 24.0;
        QTest::newRow("leading blanks") << QByteArray(R"(hz="  30")") << 30.0;
    }

    void rateRule()
    {
        QFETCH(QByteArray, attribute);
        QFETCH(double, expected);
        LoadedPanels loaded;
        load("<panels><panel " + attribute + "/></panels>", loaded);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.at(0)->hz, expected);
    }

    void rateThatIsNotANumberStays()
    {
        LoadedPanels loaded;
        load(R"(<panels><panel hz="nan"/></panels>)", loaded);
        QCOMPARE(loaded.size(), 1);
        QVERIFY(std::isnan(loaded.at(0)->hz));
    }

    void numbersReadTheSameUnderADecimalCommaLocale()
    {
        const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("the de_DE.UTF-8 locale is not installed (./test.sh generates it)");
        // The locale is really in force: the C library reads only the "25" of "25.5".
        QCOMPARE(std::strtod("25.5", nullptr), 25.0);

        LoadedPanels loaded;
        load(R"(<panels><panel hz="25.5" width="300.75" height="0.5">
                  <fan diameter="10.5" x="1.25" y="2.125"/></panel></panels>)",
             loaded);
        // The loader leaves the thread's locale as it found it.
        const double afterLoad = std::strtod("25.5", nullptr);
        std::setlocale(LC_NUMERIC, previous.c_str());

        QCOMPARE(afterLoad, 25.0);
        QCOMPARE(loaded.size(), 1);
        const Panel* panel = loaded.at(0);
        QCOMPARE(panel->hz, 25.5);
        QCOMPARE(panel->width, 300.75);
        QCOMPARE(panel->height, 0.5);
        QCOMPARE(panel->fans.at(0)->diameter, 10.5);
        QCOMPARE(panel->fans.at(0)->x, 1.25);
        QCOMPARE(panel->fans.at(0)->y, 2.125);
    }

    void missingFileLogsItsPathAndFailure()
    {
        const QString path = dir.filePath("no-such-file.xml");
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("\"%1\"").arg(path)));
        QTest::ignoreMessage(QtDebugMsg, "-1");
        LoadedPanels loaded;
        QVERIFY(!loaded.load(path));
        QVERIFY(loaded.isEmpty());
    }

    void unusableDocumentsGiveNoPanels_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("wellFormed");
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("only blanks") << QByteArray("  \n ") << false;
        QTest::newRow("not xml") << QByteArray("hz=18 width=300") << false;
        QTest::newRow("no panels element")
            << QByteArray(R"(<panel model="a"><fan/></panel>)") << true;
        QTest::newRow("panels nested too deep")
            << QByteArray(R"(<config><panels><panel/></panels></config>)") << true;
        QTest::newRow("empty panels") << QByteArray("<panels/>") << true;
        QTest::newRow("other children only")
            << QByteArray("<panels><screen/><!-- panel --><Panel/>text</panels>") << true;
    }

    void unusableDocumentsGiveNoPanels()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, wellFormed);
        const QString path = configFile(contents);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("\"%1\"").arg(path)));
        if (!wellFormed)
            QTest::ignoreMessage(QtDebugMsg, "-1");
        LoadedPanels loaded;
        QCOMPARE(loaded.load(path), wellFormed);
        QVERIFY(loaded.isEmpty());
    }

    void malformedDocumentDoesNotCrash()
    {
        const QString path =
            configFile(R"(<panels><panel model="cut"><fan ledpcs="5"/></panel><panel model=)");
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("\"%1\"").arg(path)));
        QTest::ignoreMessage(QtDebugMsg, "-1");
        LoadedPanels loaded;
        QVERIFY(!loaded.load(path));
        // Whatever the parser kept up to the fault is read, in order.
        QVERIFY(loaded.size() <= 2);
        if (!loaded.isEmpty()) {
            QCOMPARE(loaded.at(0)->model, QString("cut"));
            QCOMPARE(loaded.at(0)->fans.size(), 1);
        }
    }

    void panelWithoutFansAndNestedFans()
    {
        LoadedPanels loaded;
        load(R"(<panels>
                  <panel model="bare"/>
                  <panel model="nested"><group><fan ledpcs="1"/></group><fan ledpcs="2"/></panel>
                </panels>)",
             loaded);
        QCOMPARE(loaded.size(), 2);
        QVERIFY(loaded.at(0)->fans.isEmpty());
        QCOMPARE(loaded.at(1)->fans.size(), 1);
        QCOMPARE(loaded.at(1)->fans.at(0)->ledpcs, 2);
    }

    void namesAreKeptAsWritten()
    {
        LoadedPanels loaded;
        load(u8R"(<?xml version="1.0" encoding="UTF-8"?>
<panels><panel model="展厅 Ä wall"/><panel model=""/><panel model="twin"/><panel model="twin"/></panels>)",
             loaded);
        QCOMPARE(loaded.size(), 4);
        QCOMPARE(loaded.at(0)->model, QString::fromUtf8(u8"展厅 Ä wall"));
        QCOMPARE(loaded.at(1)->model, QString());
        QCOMPARE(loaded.at(2)->model, QString("twin"));
        QCOMPARE(loaded.at(3)->model, QString("twin"));
        QVERIFY(loaded.at(2) != loaded.at(3));
    }

    void eachPanelIsAnnouncedAfterItIsListed()
    {
        const QString path = configFile(
            R"(<panels><panel model="a"><fan/><fan/></panel><panel model="b"/></panels>)");
        LoadedPanels loaded;
        QStringList announced;
        const bool ok = loaded.load(path, [&](Panel* panel) {
            // The list already holds the panel, with all of its fans read.
            QCOMPARE(loaded.list().last(), panel);
            announced
                << QString("%1/%2/%3").arg(panel->model).arg(panel->fans.size()).arg(loaded.size());
        });
        QVERIFY(ok);
        QCOMPARE(announced, QStringList({"a/2/1", "b/0/2"}));
    }

    void loadingAppendsToTheGivenList()
    {
        LoadedPanels loaded;
        load(R"(<panels><panel model="one"/></panels>)", loaded);
        load(R"(<panels><panel model="two"/></panels>)", loaded);
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(loaded.at(0)->model, QString("one"));
        QCOMPARE(loaded.at(1)->model, QString("two"));
    }

    // An installed package links the file beside the program to the one the operator edits:
    // that one is named (reading it reads the same file); a plain name stays as it is.
    void defaultPathNamesWhereALinkBesideTheProgramLeads()
    {
        const QString beside = QCoreApplication::applicationDirPath() + "/fanconfig.xml";
        QFile::remove(beside);
        QCOMPARE(FanConfig::defaultPath(), beside);
        const QString edited = configFile("<panels/>");
        QVERIFY(QFile::link(edited, beside));
        const QString named = FanConfig::defaultPath();
        QFile::remove(beside);
        QCOMPARE(named, QFileInfo(edited).canonicalFilePath());
    }

    void bundledInstallationIsReadable()
    {
        LoadedPanels loaded;
        QVERIFY(loaded.load(QFINDTESTDATA("../../app/fanconfig.xml")));
        QVERIFY(loaded.size() >= 3);
        QList<int> ledCounts;
        bool hasFrontFan = false;
        for (const Panel* panel : loaded.list()) {
            QVERIFY(!panel->model.isEmpty());
            QVERIFY(panel->width > 0 && panel->height > 0);
            QVERIFY(!panel->fans.isEmpty());
            for (const Fan* fan : panel->fans) {
                ledCounts << fan->ledpcs;
                if (fan->z == 1) {
                    hasFrontFan = true;
                    QVERIFY(panel->edgeOffset > 0);
                    QVERIFY(panel->colorOffset0.contains(':'));
                    QVERIFY(panel->colorOffset1.contains(':'));
                }
            }
        }
        QVERIFY(ledCounts.contains(1088));
        QVERIFY(ledCounts.contains(704));
        QVERIFY(ledCounts.contains(512));
        QVERIFY(hasFrontFan);
    }
};

QTEST_GUILESS_MAIN(TestFanConfig)
#include "tst_fanconfig.moc"
