#include "fanpanel.h"
#include "filledimage.h"
#include "frontfanblending.h"
#include "noiseimage.h"

#include <QPainter>
#include <QRadialGradient>
#include <QtTest>

class TestFrontFanBlending : public QObject
{
    Q_OBJECT

private slots:
    void stopsLandInTheEdgeBand()
    {
        QRadialGradient gradient;
        addColorStops(gradient, "0:(0,0,0,255)|0.5:(0,0,0,128)|1:(10,20,30,0)", 0.8);
        const QGradientStops stops = gradient.stops();
        QCOMPARE(stops.size(), 3);
        QVERIFY(qFuzzyCompare(stops.at(0).first, 0.8));
        QVERIFY(qFuzzyCompare(stops.at(1).first, 0.9));
        QCOMPARE(stops.at(1).second, QColor(0, 0, 0, 128));
        QVERIFY(qFuzzyCompare(stops.at(2).first, 1.0));
        QCOMPARE(stops.at(2).second, QColor(10, 20, 30, 0));
    }

    void malformedStopsAreSkipped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("position");
        QTest::newRow("empty") << "" << 0 << 0.0;
        QTest::newRow("no colon") << "0.5" << 0 << 0.0;
        QTest::newRow("three parts") << "0.5:(1,2,3)" << 0 << 0.0;
        QTest::newRow("no colour") << "0.5:" << 0 << 0.0;
        QTest::newRow("outside 0 to 1") << "1.5:(1,2,3,4)" << 0 << 0.0;
        QTest::newRow("position no number") << "x:(1,2,3,4)" << 1 << 0.5;
        QTest::newRow("empty parts around") << "||0.25:1,2,3,4|" << 1 << 0.625;
        QTest::newRow("second colon ends colour") << "1:(1,2,3,4):9" << 1 << 1.0;
    }
    void malformedStopsAreSkipped()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(double, position);
        QRadialGradient gradient;
        gradient.setColorAt(0.0, Qt::black); // as painted: the centre stop comes first
        addColorStops(gradient, text, 0.5);
        QCOMPARE(gradient.stops().size(), 1 + count);
        if (count == 1) {
            QVERIFY(qFuzzyCompare(gradient.stops().at(1).first, position));
            QCOMPARE(gradient.stops().at(1).second, QColor(1, 2, 3, 4));
        }
    }

    void ringAndDiscCoverTheirRadii()
    {
        // Diameter 20 and edgeOffset 12: D = 60, R = 30, the ring spans radii 24 to 30.
        FanPanel fans(40, 40, 12);
        fans.addFan(0, 20, 20, 1, 20);
        fans.panel.colorOffset1 = "0:(255,0,0,255)|1:(255,0,0,255)";
        const QRgb grey = qRgb(100, 100, 100);
        QImage layer0 = filled(120, 120, grey);
        QImage layer1 = filled(120, 120, grey);
        paintFrontFanBlending(layer0, layer1, fans.panel);

        // Row 60 passes through the centre (60, 60); column 60 + r starts at radius r.
        for (int r : {-60, -32, 31, 59}) {
            QCOMPARE(layer0.pixel(60 + r, 60), grey);
            QCOMPARE(layer1.pixel(60 + r, 60), grey);
        }
        for (int r : {0, 10, 22, -23})
            QCOMPARE(layer1.pixel(60 + r, 60), grey); // inside the inner circle
        for (int r : {25, 26, 28, -26, -29}) {
            QCOMPARE(layer1.pixel(60 + r, 60), qRgb(255, 0, 0));
            QCOMPARE(layer1.pixel(60, 60 + r), qRgb(255, 0, 0));
        }
        for (int r : {0, 10, 22, 28, -29})
            QCOMPARE(layer0.pixel(60 + r, 60), qRgb(0, 0, 0)); // no stops: a black disc
    }

    void stopAtHalfLands27PixelsOut()
    {
        FanPanel fans(40, 40, 12);
        fans.addFan(0, 20, 20, 1, 20);
        fans.panel.colorOffset1 = "0:(0,0,0,255)|0.5:(255,255,255,255)|1:(0,0,0,255)";
        QImage layer0 = filled(120, 120, Qt::black);
        QImage layer1 = filled(120, 120, Qt::black);
        paintFrontFanBlending(layer0, layer1, fans.panel);

        // Pixel centres at radii 24.5 ... 29.5: brightness 255 x (1 - |r - 27| / 3).
        const int expected[] = {42, 127, 212, 212, 127, 42};
        for (int i = 0; i < 6; ++i) {
            QVERIFY(qAbs(qGreen(layer1.pixel(84 + i, 60)) - expected[i]) <= 6);
            QVERIFY(qAbs(qGreen(layer1.pixel(35 - i, 60)) - expected[i]) <= 6);
        }
    }

    void onlyFansOfLayerOneArePainted()
    {
        FanPanel fans(40, 40, 12);
        fans.addFan(0, 20, 20, 0, 20);
        fans.addFan(0, 10, 10, 2, 10);
        fans.panel.colorOffset0 = "0:(255,0,0,255)";
        fans.panel.colorOffset1 = "0:(255,0,0,255)";
        const QImage original = noiseImage(120, 120, 12345);
        QImage layer0 = original;
        QImage layer1 = original;
        {
            QPainter painter0(&layer0);
            QPainter painter1(&layer1);
            paintFrontFanBlending(painter0, painter1, fans.panel);
        }
        QCOMPARE(layer0, original);
        QCOMPARE(layer1, original);
    }

    void zeroEdgeLeavesLayerOneAlone()
    {
        FanPanel fans(40, 40, 0);
        fans.addFan(0, 20, 20, 1, 20);
        fans.panel.colorOffset0 = "1:(0,0,255,255)";
        fans.panel.colorOffset1 = "0:(255,0,0,255)";
        const QImage original = noiseImage(120, 120, 12345);
        QImage layer0 = original;
        QImage layer1 = original;
        paintFrontFanBlending(layer0, layer1, fans.panel);
        QCOMPARE(layer1, original);
        QCOMPARE(layer0.pixel(60, 60) & 0xFFFF00u, qRgb(0, 0, 0) & 0xFFFF00u);
        QVERIFY(qBlue(layer0.pixel(60, 60)) <= 8); // pixel centre 0.7 from the centre
        // Black at the centre to blue at the rim: 255 x 27.5 / 30 at pixel centre 87.5.
        QVERIFY(qAbs(qBlue(layer0.pixel(87, 60)) - 234) <= 4);
        QCOMPARE(layer0.pixel(95, 60), original.pixel(95, 60));
    }
};

QTEST_MAIN(TestFrontFanBlending)
#include "tst_frontfanblending.moc"
