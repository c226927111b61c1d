#include "fan.h"
#include "panel.h"
#include "panellimits.h"

#include <QtTest>

#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

} // namespace

// A panel the conversion cannot work with is refused with the fan and the value named.
class TestPanelLimits : public QObject
{
    Q_OBJECT

private:
    Panel panel;
    Fan rear;
    Fan front;

private slots:
    void init()
    {
        panel.model = "Wall";
        panel.width = 960;
        panel.height = 640.5;
        panel.hz = 18;
        rear.ledpcs = 320;
        rear.diameter = 320;
        rear.x = 160;
        rear.y = 160;
        front.ledpcs = 1088;
        front.diameter = 512;
        front.x = 480;
        front.y = 320;
        front.z = 1;
        panel.fans = {&rear, &front};
    }

    void soundPanelsPass_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("ledpcs");
        QTest::addColumn<double>("hz");
        QTest::newRow("as set up") << 960.0 << 1088 << 18.0;
        QTest::newRow("the largest working picture") << 32767 / 3.0 << 4096 << 18.0;
        QTest::newRow("one LED, a third of a unit wide") << 1 / 3.0 << 1 << 18.0;
        QTest::newRow("the fastest rate") << 960.0 << 1088 << 1000.0;
        // Rates that are no positive number play every picture once.
        QTest::newRow("a negative rate") << 960.0 << 1088 << -25.0;
        QTest::newRow("a rate that is no number") << 960.0 << 1088 << notANumber;
    }

    void soundPanelsPass()
    {
        QFETCH(double, width);
        QFETCH(int, ledpcs);
        QFETCH(double, hz);
        panel.width = width;
        panel.height = 5;
        panel.hz = hz;
        front.ledpcs = ledpcs;
        QCOMPARE(PanelLimits::problem(panel), QString());
    }

    void impossibleValuesAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("named");
        for (const double leds : {2147483647.0, 715827883.0, 1000000.0, 0.0, -5.0, double(INT_MIN)})
            QTest::addRow("%g LEDs", leds) << "ledpcs" << leds << "fan 1";
        for (const double size : {notANumber, infinity, -960.0, 1e300, 2147483647.0, 100000.0, 0.2})
            QTest::addRow("width %g", size) << "width" << size << "panel \"Wall\"";
        QTest::newRow("height NaN") << "height" << notANumber << "panel \"Wall\"";
        QTest::newRow("front fan x NaN") << "x" << notANumber << "fan 1";
        QTest::newRow("front fan y 1e300") << "y" << 1e300 << "fan 1";
        QTest::newRow("front fan diameter infinite") << "diameter" << infinity << "fan 1";
        for (const double hz : {1000.5, 1e9, infinity})
            QTest::addRow("rate %g", hz) << "hz" << hz << "panel \"Wall\"";
        QTest::newRow("no fans") << "fans" << 0.0 << "no fans";
    }

    void impossibleValuesAreRefused()
    {
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(QString, named);
        if (field == "ledpcs")
            front.ledpcs = int(value);
        else if (field == "width")
            panel.width = value;
        else if (field == "height")
            panel.height = value;
        else if (field == "x")
            front.x = value;
        else if (field == "y")
            front.y = value;
        else if (field == "diameter")
            front.diameter = value;
        else if (field == "hz")
            panel.hz = value;
        else
            panel.fans.clear();
        const QString problem = PanelLimits::problem(panel);
        QVERIFY2(problem.contains(named), qPrintable(problem));
        if (field != "fans")
            QVERIFY2(problem.contains(QString::number(value, 'g', 10)), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestPanelLimits)
#include "tst_panellimits.moc"
