#include "viewgeometry.h"

#include <QtTest>

using namespace ViewGeometry;

class TestViewGeometry : public QObject
{
    Q_OBJECT

private slots:
    void fitPictureScalesAndCentres_data()
    {
        QTest::addColumn<QSize>("view");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRect>("imageRect");

        // The preview view is 800 x 550.
        QTest::newRow("landscape, height has room")
            << QSize(800, 550) << QSize(1600, 900) << 0.5 << QRect(0, 50, 800, 450);
        QTest::newRow("portrait, width has room")
            << QSize(800, 550) << QSize(400, 1100) << 0.5 << QRect(300, 0, 200, 550);
        QTest::newRow("small picture is enlarged")
            << QSize(800, 550) << QSize(200, 100) << 4.0 << QRect(0, 75, 800, 400);
        QTest::newRow("same shape as the view")
            << QSize(800, 550) << QSize(1600, 1100) << 0.5 << QRect(0, 0, 800, 550);
        // 350/100 = 3.5 beats 801/200; 801 - 700 = 101 leaves an odd margin, halved down.
        QTest::newRow("odd margin halves toward zero")
            << QSize(801, 350) << QSize(200, 100) << 3.5 << QRect(50, 0, 700, 350);
        // 550/900 in single precision is 0.61111110448..., a hair below 11/18: the picture
        // comes out 549.99999... and truncates to 549 pixels on each side.
        QTest::newRow("single-precision ratio")
            << QSize(800, 550) << QSize(900, 900) << double(550.0f / 900.0f)
            << QRect(125, 0, 549, 549);
    }

    void fitPictureScalesAndCentres()
    {
        QFETCH(QSize, view);
        QFETCH(QSize, picture);
        QFETCH(double, scale);
        QFETCH(QRect, imageRect);
        const PictureFit fit = fitPicture(view, picture);
        QCOMPARE(fit.scale, scale);
        QCOMPARE(fit.imageRect, imageRect);
    }

    void fitPictureOfNothingPlacesNothing_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::newRow("0 x 0") << QSize(0, 0);
        QTest::newRow("no width") << QSize(0, 900);
        QTest::newRow("no height") << QSize(1600, 0);
        QTest::newRow("invalid") << QSize();
    }

    void fitPictureOfNothingPlacesNothing()
    {
        QFETCH(QSize, picture);
        const PictureFit fit = fitPicture(QSize(800, 550), picture);
        QCOMPARE(fit.scale, 0.0);
        QVERIFY(fit.imageRect.isNull());
    }

    void frameTargetIsThePictureCentredOnTheView_data()
    {
        QTest::addColumn<QRect>("imageRect");
        QTest::addColumn<QRect>("target");

        // The view lies at (50, 40) in its parent and is 800 x 550.
        QTest::newRow("no picture: the whole view") << QRect() << QRect(50, 40, 800, 550);
        QTest::newRow("landscape") << QRect(0, 50, 800, 450) << QRect(50, 90, 800, 450);
        QTest::newRow("portrait") << QRect(300, 0, 200, 550) << QRect(350, 40, 200, 550);
        // Only the size of imageRect counts; 550 - 451 = 99 halves to 49.
        QTest::newRow("odd margin") << QRect(7, 7, 800, 451) << QRect(50, 89, 800, 451);
    }

    void frameTargetIsThePictureCentredOnTheView()
    {
        QFETCH(QRect, imageRect);
        QFETCH(QRect, target);
        QCOMPARE(frameTarget(QRect(50, 40, 800, 550), imageRect), target);
    }

    void fitFrameKeepsProportionsAndCentres_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("target");
        QTest::addColumn<QRect>("fitted");

        QTest::newRow("square panel on a landscape picture")
            << QSize(320, 320) << QRect(50, 90, 800, 450) << QRect(225, 90, 450, 450);
        QTest::newRow("wide panel in a square")
            << QSize(300, 100) << QRect(0, 0, 150, 150) << QRect(0, 50, 150, 50);
        QTest::newRow("small frame is enlarged")
            << QSize(30, 10) << QRect(10, 20, 900, 650) << QRect(10, 195, 900, 300);
        // 800 / 3 = 266.67 keeps the width; (550 - 266) / 2 = 142.
        QTest::newRow("rounded size, odd margin")
            << QSize(300, 100) << QRect(0, 0, 800, 550) << QRect(0, 142, 800, 266);
    }

    void fitFrameKeepsProportionsAndCentres()
    {
        QFETCH(QSize, frame);
        QFETCH(QRect, target);
        QFETCH(QRect, fitted);
        QCOMPARE(fitFrame(frame, target), fitted);
    }

    void selectionRectMapsTheFrameToSourcePixels()
    {
        // A 450 x 450 frame at (225, 90) over a 1600 x 900 picture shown at half size at
        // (0, 50) in a view at (50, 40): the centred square of the picture.
        QCOMPARE(selectionRect(QPoint(225, 90), QSize(450, 450), QPoint(50, 40),
                               QRect(0, 50, 800, 450), 0.5),
                 QRectF(350, 0, 900, 900));
        // Portrait picture shown at (300, 0): a frame at the picture's top-left corner maps to
        // the source origin.
        QCOMPARE(selectionRect(QPoint(350, 40), QSize(100, 50), QPoint(50, 40),
                               QRect(300, 0, 200, 550), 0.5),
                 QRectF(0, 0, 200, 100));
        // A frame dragged beyond the picture's top-left gives negative coordinates, and an
        // enlarged picture maps view pixels to fractions of source pixels.
        QCOMPARE(selectionRect(QPoint(40, 100), QSize(10, 6), QPoint(50, 40),
                               QRect(0, 75, 800, 400), 4.0),
                 QRectF(-2.5, -3.75, 2.5, 1.5));
    }

    void selectionRectWithoutScaleIsEmpty()
    {
        const QRectF none =
            selectionRect(QPoint(225, 90), QSize(450, 450), QPoint(50, 40), QRect(), 0.0);
        QCOMPARE(none, QRectF());
        QVERIFY(qIsFinite(none.x()) && qIsFinite(none.width()));
        QCOMPARE(selectionRect(QPoint(225, 90), QSize(450, 450), QPoint(50, 40), QRect(), -1.0),
                 QRectF());
    }

    void fittedFrameSelectsTheCentreOfThePicture()
    {
        // The whole road from opening a picture to the source region of an unchanged frame:
        // a 16:9 panel over a 3200 x 1800 picture shown at a quarter of its size selects it all.
        const QRect viewGeometry(50, 40, 800, 550);
        const PictureFit fit = fitPicture(viewGeometry.size(), QSize(3200, 1800));
        const QRect frame = fitFrame(QSize(160, 90), frameTarget(viewGeometry, fit.imageRect));
        QCOMPARE(frame, QRect(50, 90, 800, 450));
        QCOMPARE(selectionRect(frame.topLeft(), frame.size(), viewGeometry.topLeft(), fit.imageRect,
                               fit.scale),
                 QRectF(0, 0, 3200, 1800));
    }
};

QTEST_APPLESS_MAIN(TestViewGeometry)
#include "tst_viewgeometry.moc"
