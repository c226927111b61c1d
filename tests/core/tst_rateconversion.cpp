#include "frameestimate.h"
#include "rateconversion.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// How often each of the first `count` pictures is delivered, one digit a picture
// (0 dropped, 1 once, 2 twice, ...).
QString pattern(const RateConversion& rate, int count)
{
    QString text;
    for (int index = 0; index < count; ++index)
        text += QString::number(rate.deliveries(index));
    return text;
}

// The pictures 0 to count - 1.
QList<int> firstPictures(int count)
{
    QList<int> pictures;
    for (int index = 0; index < count; ++index)
        pictures << index;
    return pictures;
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

} // namespace

class TestRateConversion : public QObject
{
    Q_OBJECT

private slots:
    void closeRatesDropOrRepeatAtAStep_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("target");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("deliveries");
        // difference = trunc(fps - target), step = trunc(fps / |difference|)
        QTest::newRow("24 fps: every fourth dropped") << 24.0 << 18.0 << 4 << "11110111011101";
        QTest::newRow("25 fps: every third dropped") << 25.0 << 18.0 << 3 << "11101101101101";
        QTest::newRow("30 fps: every other dropped") << 30.0 << 18.0 << 2 << "11010101010101";
        QTest::newRow("29.97 fps: every other dropped")
            << 30000.0 / 1001 << 18.0 << 2 << "11010101010101";
        QTest::newRow("36 fps: every other dropped") << 36.0 << 18.0 << 2 << "11010101010101";
        QTest::newRow("12 fps: every other repeated") << 12.0 << 18.0 << 2 << "11212121212121";
        QTest::newRow("9 fps: step 1 repeats all") << 9.0 << 18.0 << 1 << "12222222222222";
        QTest::newRow("18 fps: unchanged") << 18.0 << 18.0 << 0 << "11111111111111";
        QTest::newRow("18.9 fps: less than one apart") << 18.9 << 18.0 << 0 << "11111111111111";
        QTest::newRow("17.5 fps: less than one apart") << 17.5 << 18.0 << 0 << "11111111111111";
        // Step 2 at 25 Hz: the stepped rule still applies.
        QTest::newRow("50 fps at 25 Hz") << 50.0 << 25.0 << 2 << "11010101010101";
        QTest::newRow("40 fps at 25 Hz") << 40.0 << 25.0 << 2 << "11010101010101";
    }

    void closeRatesDropOrRepeatAtAStep()
    {
        QFETCH(double, fps);
        QFETCH(double, target);
        QFETCH(int, step);
        QFETCH(QString, deliveries);
        const RateConversion rate(fps, target);
        QVERIFY(!rate.proportional());
        QCOMPARE(rate.step(), step);
        QCOMPARE(pattern(rate, deliveries.size()), deliveries);
    }

    // Where the step would drop everything after picture 0, or come out as 0, the pictures
    // are delivered in proportion: over N pictures about N x t / f deliveries, never more
    // than one away, and picture 0 always.
    void fastAndSlowSourcesDeliverInProportion_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("target");
        for (const double fps : {40.0, 50.0, 60.0, 60000.0 / 1001})
            QTest::addRow("%g fps at 18 Hz", fps) << fps << 18.0;
        for (const double fps : {60.0, 60000.0 / 1001})
            QTest::addRow("%g fps at 25 Hz", fps) << fps << 25.0;
        for (const double fps : {1.0, 6.0, 8.0})
            QTest::addRow("%g fps at 18 Hz", fps) << fps << 18.0;
    }

    void fastAndSlowSourcesDeliverInProportion()
    {
        QFETCH(double, fps);
        QFETCH(double, target);
        const RateConversion rate(fps, target);
        QVERIFY(rate.proportional());
        QVERIFY(rate.deliveries(0) >= 1);
        int total = 0;
        for (int pictures = 1; pictures <= 600; ++pictures) {
            total += rate.deliveries(pictures - 1);
            const double expected = pictures * target / fps;
            QVERIFY2(std::fabs(total - expected) <= 1.0,
                     qPrintable(QString("%1 deliveries over %2 pictures, %3 expected")
                                    .arg(total)
                                    .arg(pictures)
                                    .arg(expected)));
        }
    }

    // How often chosen pictures are delivered: at a fast and a slow rate, at rates whose ratio
    // lies far beyond int range, and at rates that make no sense, where every picture is
    // delivered once.
    void deliveriesOfChosenPictures_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("target");
        QTest::addColumn<QList<int>>("pictures");
        QTest::addColumn<QList<int>>("deliveries");
        // Delivered: pictures 0, 3, 6, 10, 13, 16, 20 and 23.
        QTest::newRow("60 fps at 18 Hz")
            << 60.0 << 18.0 << firstPictures(24)
            << QList<int>{1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1};
        QTest::newRow("1 fps at 18 Hz: each picture 18 times")
            << 1.0 << 18.0 << QList<int>{0, 1, 1000} << QList<int>{18, 18, 18};
        // Far beyond int range: nothing overflows, picture 0 is still delivered.
        QTest::newRow("1e12 fps") << 1e12 << 18.0 << firstPictures(4) << QList<int>{1, 0, 0, 0};
        QTest::newRow("1e-12 fps") << 1e-12 << 18.0 << QList<int>{0} << QList<int>{INT_MAX};
        const QList<int> once{1, 1, 1, 1, 1, 1};
        QTest::newRow("0/n") << 0.0 << 18.0 << firstPictures(6) << once;
        QTest::newRow("0/0") << notANumber << 18.0 << firstPictures(6) << once;
        QTest::newRow("n/0") << infinity << 18.0 << firstPictures(6) << once;
        QTest::newRow("negative rate") << -25.0 << 18.0 << firstPictures(6) << once;
        QTest::newRow("target not a number") << 25.0 << notANumber << firstPictures(6) << once;
        QTest::newRow("infinite target") << 25.0 << infinity << firstPictures(6) << once;
        QTest::newRow("negative target") << 60.0 << -5.0 << firstPictures(6) << once;
    }

    void deliveriesOfChosenPictures()
    {
        QFETCH(double, fps);
        QFETCH(double, target);
        QFETCH(QList<int>, pictures);
        QFETCH(QList<int>, deliveries);
        const RateConversion rate(fps, target);
        QList<int> delivered;
        for (const int index : pictures)
            delivered << rate.deliveries(index);
        QCOMPARE(delivered, deliveries);
    }

    // The frames of a 10 s clip on an 18 Hz panel: framesOf agrees with the deliveries one
    // by one, and exact timing keeps the clip's length at every rate.
    void framesOfTenSeconds_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("timing");
        QTest::addColumn<qint64>("frames");
        const int stepped = int(Timing::Stepped);
        const int exact = int(Timing::Exact);
        QTest::newRow("24 fps stepped") << 24.0 << stepped << qint64(181);
        QTest::newRow("25 fps stepped") << 25.0 << stepped << qint64(167);
        QTest::newRow("30 fps stepped") << 30.0 << stepped << qint64(151);
        QTest::newRow("12 fps stepped") << 12.0 << stepped << qint64(179);
        QTest::newRow("60 fps stepped") << 60.0 << stepped << qint64(180);
        for (const double fps : {12.0, 24.0, 25.0, 30.0, 50.0, 60.0})
            QTest::addRow("%g fps exact", fps) << fps << exact << qint64(180);
    }

    void framesOfTenSeconds()
    {
        QFETCH(double, fps);
        QFETCH(int, timing);
        QFETCH(qint64, frames);
        const RateConversion rate(fps, 18.0, Timing(timing));
        const qint64 pictures = qint64(std::ceil(10 * fps - 1e-9));
        qint64 delivered = 0;
        for (qint64 index = 0; index < pictures; ++index)
            delivered += rate.deliveries(index);
        QCOMPARE(rate.framesOf(pictures), delivered);
        QCOMPARE(delivered, frames);
    }

    // A save's estimate from the clip's rate and length, with its range and timing applied.
    void estimateOfASave_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<qint64>("durationMs");
        QTest::addColumn<int>("timing");
        QTest::addColumn<qint64>("startUs");
        QTest::addColumn<qint64>("endUs");
        QTest::addColumn<qint64>("frames");
        const int stepped = int(Timing::Stepped);
        const int exact = int(Timing::Exact);
        const qint64 none = ClipRange::noEnd;
        QTest::newRow("60 s at 30 fps")
            << 30.0 << qint64(60000) << stepped << qint64(0) << none << qint64(901);
        QTest::newRow("60 s at 30 fps, exact")
            << 30.0 << qint64(60000) << exact << qint64(0) << none << qint64(1080);
        // Pictures 300 to 659: 360 pictures, counted from the first of them.
        QTest::newRow("12 s of it") << 30.0 << qint64(60000) << stepped << qint64(10000000)
                                    << qint64(22000000) << qint64(181);
        QTest::newRow("an end beyond the clip")
            << 30.0 << qint64(60000) << stepped << qint64(50000000) << qint64(90000000)
            << qint64(151);
        QTest::newRow("a start beyond the clip")
            << 30.0 << qint64(60000) << stepped << qint64(70000000) << none << qint64(0);
        QTest::newRow("unknown length")
            << 30.0 << qint64(0) << stepped << qint64(0) << none << qint64(-1);
        QTest::newRow("unknown rate")
            << 0.0 << qint64(60000) << stepped << qint64(0) << none << qint64(-1);
    }

    void estimateOfASave()
    {
        QFETCH(double, fps);
        QFETCH(qint64, durationMs);
        QFETCH(int, timing);
        QFETCH(qint64, startUs);
        QFETCH(qint64, endUs);
        QFETCH(qint64, frames);
        SourceOptions options;
        options.timing = Timing(timing);
        options.range = {startUs, endUs};
        QCOMPARE(expectedFrames(fps, durationMs, 18.0, options), frames);
    }
};

QTEST_GUILESS_MAIN(TestRateConversion)
#include "tst_rateconversion.moc"
