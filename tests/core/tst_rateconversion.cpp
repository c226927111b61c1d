#include "rateconversion.h"

#include <QtTest>

#include <cmath>
#include <limits>

using Action = RateConversion::Action;

namespace {

// The first `count` decisions, written as D (delivered), x (dropped) and R (repeated).
QString pattern(const RateConversion& rate, int count)
{
    QString text;
    for (int index = 0; index < count; ++index) {
        switch (rate.actionFor(index)) {
        case Action::Deliver:
            text += 'D';
            break;
        case Action::Drop:
            text += 'x';
            break;
        case Action::Repeat:
            text += 'R';
            break;
        }
    }
    return text;
}

} // namespace

class TestRateConversion : public QObject
{
    Q_OBJECT

private slots:
    void towardsEighteenHertz_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("decisions");
        // difference = trunc(fps - 18), step = trunc(fps / |difference|)
        QTest::newRow("24 fps: every fourth dropped") << 24.0 << 4 << "DDDDxDDDxDDDxD";
        QTest::newRow("25 fps: every third dropped") << 25.0 << 3 << "DDDxDDxDDxDDxD";
        QTest::newRow("30 fps: every other dropped") << 30.0 << 2 << "DDxDxDxDxDxDxD";
        QTest::newRow("29.97 fps: every other dropped") << 30000.0 / 1001 << 2 << "DDxDxDxDxDxDxD";
        QTest::newRow("36 fps: every other dropped") << 36.0 << 2 << "DDxDxDxDxDxDxD";
        QTest::newRow("12 fps: every other repeated") << 12.0 << 2 << "DDRDRDRDRDRDRD";
        QTest::newRow("18 fps: unchanged") << 18.0 << 0 << "DDDDDDDDDDDDDD";
        QTest::newRow("18.9 fps: less than one apart") << 18.9 << 0 << "DDDDDDDDDDDDDD";
        QTest::newRow("17.5 fps: less than one apart") << 17.5 << 0 << "DDDDDDDDDDDDDD";
        QTest::newRow("50 fps: only the first kept") << 50.0 << 1 << "Dxxxxxxxxxxxxx";
        QTest::newRow("60 fps: only the first kept") << 60.0 << 1 << "Dxxxxxxxxxxxxx";
        // 9 fps: difference -9, step 1: every picture after the first is repeated.
        QTest::newRow("9 fps: all repeated") << 9.0 << 1 << "DRRRRRRRRRRRRR";
    }

    void towardsEighteenHertz()
    {
        QFETCH(double, fps);
        QFETCH(int, step);
        QFETCH(QString, decisions);
        const RateConversion rate(fps, 18.0);
        QCOMPARE(rate.step(), step);
        QCOMPARE(pattern(rate, decisions.size()), decisions);
    }

    void slowSourceRepeatsEveryPictureAfterTheFirst()
    {
        // 6 fps to 18 Hz: difference -12, and 6 / 12 would give a step of 0.
        const RateConversion rate(6.0, 18.0);
        QCOMPARE(rate.step(), 1);
        QCOMPARE(pattern(rate, 8), QString("DRRRRRRR"));
        const RateConversion verySlow(0.5, 25.0);
        QCOMPARE(pattern(verySlow, 4), QString("DRRR"));
    }

    void unknownRateDeliversEveryPictureOnce_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("target");
        QTest::newRow("0/n") << 0.0 << 18.0;
        QTest::newRow("0/0") << std::numeric_limits<double>::quiet_NaN() << 18.0;
        QTest::newRow("n/0") << std::numeric_limits<double>::infinity() << 18.0;
        QTest::newRow("negative") << -25.0 << 18.0;
        QTest::newRow("target not a number") << 25.0 << std::numeric_limits<double>::quiet_NaN();
    }

    void unknownRateDeliversEveryPictureOnce()
    {
        QFETCH(double, fps);
        QFETCH(double, target);
        const RateConversion rate(fps, target);
        QCOMPARE(rate.step(), 0);
        QCOMPARE(pattern(rate, 6), QString("DDDDDD"));
    }

    void extremeRatesStayDefined()
    {
        // A bogus rate far beyond int range must not overflow the difference.
        const RateConversion huge(1e12, 18.0);
        QCOMPARE(pattern(huge, 4), QString("Dxxx"));
        // A negative panel rate makes the difference larger than the source rate.
        const RateConversion negativeTarget(25.0, -5.0);
        QCOMPARE(pattern(negativeTarget, 4), QString("Dxxx"));
        const RateConversion otherTarget(50.0, 25.0);
        QCOMPARE(otherTarget.step(), 2);
        QCOMPARE(pattern(otherTarget, 5), QString("DDxDx"));
    }
};

QTEST_GUILESS_MAIN(TestRateConversion)
#include "tst_rateconversion.moc"
