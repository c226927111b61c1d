#include "diagnostics.h"
#include "dragwidget.h"
#include "fanpanel.h"
#include "inputevents.h"

#include <QFontDatabase>
#include <QtTest>

namespace {

// The black picture area and the frame inside it, as the window lays them out.
struct Scene
{
    QWidget area;
    DragWidget* frame;
    explicit Scene(const QSize& areaSize = QSize(900, 650))
    {
        area.setStyleSheet("background:#000");
        area.resize(areaSize);
        frame = new DragWidget(&area);
        frame->setStyleSheet("background:transparent");
    }
};

bool isRed(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
}
bool isYellow(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) > 180 && qBlue(c) < 80;
}
bool isBlue(QRgb c)
{
    return qBlue(c) > 180 && qRed(c) < 80 && qGreen(c) < 80;
}

// Pixels in `area` (image coordinates) that are drawn in something other than black.
int litPixels(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qRed(image.pixel(x, y)) > 100 || qGreen(image.pixel(x, y)) > 100 ||
                qBlue(image.pixel(x, y)) > 100)
                ++count;
    return count;
}

// What the frame shows: its own rendering over the black area, in frame coordinates.
QImage shot(Scene& scene)
{
    const QImage whole = scene.area.grab().toImage();
    return whole.copy(scene.frame->geometry());
}

} // namespace

class TestDragWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Diagnostics::enable(); } // the frame's lines are checked below

    void startsWithoutPanelAndDrawsNothing()
    {
        QWidget area;
        area.setStyleSheet("background:#000");
        area.resize(400, 300);
        auto* frame = new DragWidget(&area);
        QCOMPARE(frame->selectedPanel, nullptr);
        QCOMPARE(frame->pressPos, QPoint(0, 0));
        QCOMPARE(frame->styleSheet(), QString("background:red"));
        QVERIFY(!frame->isWindow());
        QCOMPARE(QString(frame->metaObject()->className()), QString("DragWidget"));

        frame->setStyleSheet("background:transparent");
        frame->setGeometry(10, 10, 100, 100);
        const QImage image = area.grab().toImage();
        QCOMPARE(litPixels(image, frame->geometry()), 0);

        // A wheel step before any panel is set leaves the frame alone.
        sendWheel(frame, QPoint(0, 120));
        QCOMPARE(frame->geometry(), QRect(10, 10, 100, 100));
    }

    void setPanelTakesPanelSizeAndCentres()
    {
        Scene scene;
        FanPanel square(320, 320);
        scene.frame->setPanel(&square.panel);
        QCOMPARE(scene.frame->selectedPanel, &square.panel);
        QCOMPARE(scene.frame->geometry(), QRect(290, 165, 320, 320));
        QCOMPARE(scene.frame->minimumSize(), QSize(320, 320));
        QCOMPARE(scene.frame->maximumSize(), QSize(320, 320));

        // Fractions are dropped; centring in an odd-sized parent halves toward zero.
        Scene odd(QSize(901, 651));
        FanPanel fractional(300.9, 100.7);
        odd.frame->setPanel(&fractional.panel);
        QCOMPARE(odd.frame->geometry(), QRect(300, 275, 300, 100));

        // Choosing a panel again resets whatever size and place the frame had.
        scene.frame->fitInto(QRect(0, 0, 100, 100));
        scene.frame->move(-40, 700);
        scene.frame->setPanel(&square.panel);
        QCOMPARE(scene.frame->geometry(), QRect(290, 165, 320, 320));
    }

    void fitIntoScalesToTheLargestCentredFrame()
    {
        Scene scene;
        FanPanel square(320, 320);
        scene.frame->setPanel(&square.panel);
        // The picture of a 1600 x 900 file in the view at (50, 40).
        scene.frame->fitInto(QRect(50, 90, 800, 450));
        QCOMPARE(scene.frame->geometry(), QRect(225, 90, 450, 450));
        QCOMPARE(scene.frame->minimumSize(), QSize(450, 450));
        QCOMPARE(scene.frame->maximumSize(), QSize(450, 450));

        // The frame keeps the proportions it has, whatever the target's.
        FanPanel wide(300, 100);
        scene.frame->setPanel(&wide.panel);
        scene.frame->fitInto(QRect(350, 40, 200, 550));
        QCOMPARE(scene.frame->geometry(), QRect(350, 282, 200, 66));
        // Back onto a landscape picture with the panel's own 3:1, not the 200 x 66 of the
        // portrait one (which would give 800 x 264).
        scene.frame->fitInto(QRect(50, 90, 800, 450));
        QCOMPARE(scene.frame->geometry(), QRect(50, 182, 800, 266));
    }

    void wheelStepsSixPixelsAroundTheCentre()
    {
        Scene scene;
        FanPanel wide(300, 100);
        scene.frame->setPanel(&wide.panel);
        scene.frame->fitInto(QRect(100, 100, 150, 300));
        QCOMPARE(scene.frame->geometry(), QRect(100, 225, 150, 50));

        // 156/300 is 0.51999998 in single precision: 156 x 52 only because the products are
        // rounded to float before they are truncated.
        sendWheel(scene.frame, QPoint(0, 120));
        QCOMPARE(scene.frame->geometry(), QRect(97, 224, 156, 52));
        QCOMPARE(scene.frame->minimumSize(), QSize(156, 52));
        QCOMPARE(scene.frame->maximumSize(), QSize(156, 52));

        scene.frame->fitInto(QRect(100, 100, 150, 300));
        sendWheel(scene.frame, QPoint(0, -120));
        QCOMPARE(scene.frame->geometry(), QRect(103, 226, 144, 48));
    }

    void wheelDirectionComesFromTheDeltaSign_data()
    {
        QTest::addColumn<QPoint>("angleDelta");
        QTest::addColumn<int>("width");
        QTest::newRow("a large step still moves 6 pixels") << QPoint(0, 960) << 156;
        QTest::newRow("smallest step up") << QPoint(0, 1) << 156;
        QTest::newRow("zero shrinks") << QPoint(0, 0) << 144;
        QTest::newRow("horizontal wheel up") << QPoint(120, 0) << 156;
        QTest::newRow("larger horizontal component decides") << QPoint(-120, 10) << 144;
        QTest::newRow("a tie goes to the vertical component") << QPoint(-30, 30) << 156;
    }

    void wheelDirectionComesFromTheDeltaSign()
    {
        QFETCH(QPoint, angleDelta);
        QFETCH(int, width);
        Scene scene;
        FanPanel wide(300, 100);
        scene.frame->setPanel(&wide.panel);
        scene.frame->fitInto(QRect(100, 100, 150, 300));
        sendWheel(scene.frame, angleDelta);
        QCOMPARE(scene.frame->width(), width);
    }

    void wheelCentringHalvesTowardZero()
    {
        Scene scene;
        FanPanel panel(120, 60);
        scene.frame->setPanel(&panel.panel);
        scene.frame->fitInto(QRect(200, 200, 60, 60));
        QCOMPARE(scene.frame->geometry(), QRect(200, 215, 60, 30));

        // 3 pixels taller: the top moves by -3/2, which is -1, not -2.
        sendWheel(scene.frame, QPoint(0, 120));
        QCOMPARE(scene.frame->geometry(), QRect(197, 214, 66, 33));

        scene.frame->fitInto(QRect(200, 200, 60, 60));
        sendWheel(scene.frame, QPoint(0, -120));
        QCOMPARE(scene.frame->geometry(), QRect(203, 216, 54, 27));
    }

    void shrinkingStopsAtOnePixel()
    {
        Scene scene;
        FanPanel wide(300, 100);
        scene.frame->setPanel(&wide.panel);
        scene.frame->fitInto(QRect(0, 0, 12, 12));
        const QRect start = scene.frame->geometry();
        QCOMPARE(start.size(), QSize(12, 4));

        sendWheel(scene.frame, QPoint(0, -120));
        QCOMPARE(scene.frame->size(), QSize(6, 2));
        // 6 - 6 would leave nothing: the frame stops at one pixel wide, and its height,
        // a third of a pixel, is kept at one.
        sendWheel(scene.frame, QPoint(0, -120));
        QCOMPARE(scene.frame->size(), QSize(1, 1));
        const QPoint smallest = scene.frame->pos();
        QCOMPARE(smallest, start.topLeft() + QPoint(3 + 2, 1 + 0));
        for (int i = 0; i < 5; ++i)
            sendWheel(scene.frame, QPoint(0, -120));
        QCOMPARE(scene.frame->size(), QSize(1, 1));
        QCOMPARE(scene.frame->pos(), smallest);
        QCOMPARE(scene.frame->minimumSize(), QSize(1, 1));

        // And it grows back from there with the panel's proportions.
        sendWheel(scene.frame, QPoint(0, 120));
        QCOMPARE(scene.frame->size(), QSize(7, 2));
    }

    void panelWithoutWidthStaysHarmless()
    {
        Scene scene;
        FanPanel flat(0, 100);
        flat.addFan(0, 0, 50, 0, 80);
        scene.frame->setPanel(&flat.panel);
        QCOMPARE(scene.frame->size(), QSize(0, 100));

        sendWheel(scene.frame, QPoint(0, 120));
        sendWheel(scene.frame, QPoint(0, -120));
        QCOMPARE(scene.frame->size(), QSize(0, 100));

        // A frame without width has no proportions: QSize::scaled hands back the target.
        scene.frame->fitInto(QRect(10, 10, 150, 150));
        QCOMPARE(scene.frame->geometry(), QRect(10, 10, 150, 150));
        sendWheel(scene.frame, QPoint(0, -120));
        QCOMPARE(scene.frame->geometry(), QRect(10, 10, 150, 150));

        // The outline is drawn, the fan has no scale to be placed at and is left out.
        QTest::ignoreMessage(QtDebugMsg,
                             "scaleW0.000000 scaleH:0.000000 selectedPanel->height:100.000000");
        const QImage image = shot(scene);
        QVERIFY(isBlue(image.pixel(1, 75)));
        QCOMPARE(litPixels(image, QRect(3, 3, 144, 144)), 0);
    }

    void pressRecordsTheRoundedPosition()
    {
        Scene scene;
        FanPanel square(320, 320);
        scene.frame->setPanel(&square.panel);
        sendMouse(scene.frame, QEvent::MouseButtonPress, QPointF(10.5, 20.4), Qt::LeftButton);
        QCOMPARE(scene.frame->pressPos, QPoint(11, 20));
        sendMouse(scene.frame, QEvent::MouseButtonPress, QPointF(7.49, 0.5), Qt::RightButton);
        QCOMPARE(scene.frame->pressPos, QPoint(7, 1));
    }

    void dragKeepsTheGrabbedPointUnderTheCursor()
    {
        Scene scene;
        FanPanel square(320, 320);
        scene.frame->setPanel(&square.panel);
        QCOMPARE(scene.frame->pos(), QPoint(290, 165));

        sendMouse(scene.frame, QEvent::MouseButtonPress, QPointF(10, 20), Qt::LeftButton);
        sendMouse(scene.frame, QEvent::MouseMove, QPointF(40, 60), Qt::LeftButton);
        QCOMPARE(scene.frame->pos(), QPoint(320, 205));
        // Positions of later moves are taken relative to where the frame now is.
        sendMouse(scene.frame, QEvent::MouseMove, QPointF(0, 5), Qt::LeftButton);
        QCOMPARE(scene.frame->pos(), QPoint(310, 190));

        // Nothing holds the frame inside its parent.
        sendMouse(scene.frame, QEvent::MouseMove, QPointF(-1000, -800), Qt::LeftButton);
        QCOMPARE(scene.frame->pos(), QPoint(-700, -630));
        QVERIFY(!scene.frame->geometry().intersects(scene.area.rect()));

        sendMouse(scene.frame, QEvent::MouseButtonRelease, QPointF(3, 3), Qt::NoButton);
        QCOMPARE(scene.frame->pos(), QPoint(-700, -630));
        QCOMPARE(scene.frame->pressPos, QPoint(10, 20));
        QCOMPARE(scene.frame->size(), QSize(320, 320));
    }

    void paintsOutlineAndOneUnnumberedFan()
    {
        Scene scene;
        FanPanel panel(300, 100);
        panel.addFan(0, 50, 50, 0, 80); // circle inscribed in (11, 11, 78, 78)
        scene.frame->setPanel(&panel.panel);
        const QImage image = shot(scene);

        // The blue frame along all four sides.
        QVERIFY(isBlue(image.pixel(1, 50)));
        QVERIFY(isBlue(image.pixel(298, 50)));
        QVERIFY(isBlue(image.pixel(150, 1)));
        QVERIFY(isBlue(image.pixel(150, 98)));

        // The red circle at its left, right, top and bottom, and nothing in between.
        QVERIFY(isRed(image.pixel(11, 50)));
        QVERIFY(isRed(image.pixel(88, 50)));
        QVERIFY(isRed(image.pixel(50, 11)));
        QVERIFY(isRed(image.pixel(50, 88)));
        QCOMPARE(litPixels(image, QRect(25, 25, 50, 50)), 0);
        QCOMPARE(litPixels(image, QRect(100, 5, 190, 90)), 0);
    }

    void paintsEveryFanNumberedInItsLayerColour()
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        const bool noFonts = QFontDatabase::families().isEmpty();
#else
        const bool noFonts = QFontDatabase().families().isEmpty();
#endif
        if (noFonts)
            QSKIP("no font installed to draw the fan numbers with");
        Scene scene;
        FanPanel panel(300, 100);
        panel.addFan(0, 50, 50, 0, 80);
        panel.addFan(0, 150, 50, 1, 80);
        panel.addFan(0, 250, 50, 2, 80);
        scene.frame->setPanel(&panel.panel);
        const QImage image = shot(scene);

        QVERIFY(isRed(image.pixel(11, 50)));
        QVERIFY(isYellow(image.pixel(111, 50)));
        QVERIFY(isYellow(image.pixel(188, 50)));
        QVERIFY(isYellow(image.pixel(211, 50)));
        QVERIFY(isBlue(image.pixel(298, 50)));

        // Each number starts at its circle's centre and rises above it, in the fan's colour;
        // the lower-left quarter of every circle stays empty.
        for (int i = 0; i < 3; ++i) {
            const int centre = 50 + 100 * i;
            const QRect number(centre, 25, 25, 25);
            QVERIFY2(litPixels(image, number) > 10, qPrintable(QString("fan %1").arg(i)));
            QCOMPARE(litPixels(image, QRect(centre - 25, 52, 24, 20)), 0);
            bool colourMatches = false;
            for (int y = number.top(); y <= number.bottom() && !colourMatches; ++y)
                for (int x = number.left(); x <= number.right() && !colourMatches; ++x)
                    colourMatches = i == 0 ? isRed(image.pixel(x, y)) : isYellow(image.pixel(x, y));
            QVERIFY(colourMatches);
        }
        // Fans 1 and 2 share a colour; their labels differ because they carry their own index.
        QVERIFY(image.copy(150, 25, 25, 25) != image.copy(250, 25, 25, 25));
    }

    void paintsFansAtTheFrameScale()
    {
        Scene scene;
        FanPanel panel(300, 100);
        panel.addFan(0, 50, 50, 0, 80);
        scene.frame->setPanel(&panel.panel);
        scene.frame->fitInto(QRect(0, 0, 150, 150));
        QCOMPARE(scene.frame->size(), QSize(150, 50));
        // At half scale the circle is inscribed in (6, 6, 38, 38).
        const QImage image = shot(scene);
        QVERIFY(isRed(image.pixel(6, 25)));
        QVERIFY(isRed(image.pixel(43, 25)));
        QVERIFY(isRed(image.pixel(25, 6)));
        QCOMPARE(litPixels(image, QRect(17, 17, 16, 16)), 0);
        QCOMPARE(litPixels(image, QRect(46, 4, 100, 42)), 0);
        QVERIFY(isBlue(image.pixel(148, 25)));
    }

    void negativeCornersTruncateTowardZero()
    {
        Scene scene;
        FanPanel panel(200, 100);
        // left = trunc(49.5 - 50) = 0, not -1: the circle is inscribed in (1, 1, 98, 98), so
        // its right edge covers column 99.
        panel.addFan(0, 49.5, 50, 0, 100);
        scene.frame->setPanel(&panel.panel);
        const QImage image = shot(scene);
        QVERIFY(isRed(image.pixel(99, 50)));
        QVERIFY(isRed(image.pixel(1, 50)));
    }

    void writesScaleAndSizeDebugLines()
    {
        Scene scene;
        FanPanel panel(300, 100);
        panel.addFan(0, 50, 50, 0, 80);
        panel.addFan(0, 150, 50, 1, 80);
        scene.frame->setPanel(&panel.panel);
        scene.frame->fitInto(QRect(0, 0, 150, 150));

        QTest::ignoreMessage(QtDebugMsg,
                             "scaleW0.500000 scaleH:0.500000 selectedPanel->height:100.000000");
        QTest::ignoreMessage(QtDebugMsg, "b width=150,height=50");
        QTest::ignoreMessage(QtDebugMsg, "b width=150,height=50");
        shot(scene);
    }
};

QTEST_MAIN(TestDragWidget)
#include "tst_dragwidget.moc"
