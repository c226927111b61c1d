#include "bitplanes.h"
#include "filledimage.h"
#include "panel.h"
#include "sampling.h"

#include <QtTest>

namespace {

// Pixel (c, r) holds R = c, G = r, B = 7: a sample's average tells which block it read.
QImage coordinateImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int r = 0; r < h; ++r) {
        uchar* row = image.scanLine(r);
        for (int c = 0; c < w; ++c) {
            row[3 * c] = uchar(c);
            row[3 * c + 1] = uchar(r);
            row[3 * c + 2] = 7;
        }
    }
    return image;
}

int sampleAt(const QImage& image, double x, double y, double theta = 0, double d = 0)
{
    return samplePixelBlock(image.constBits(), x, y, theta, d, image.width(), image.height(),
                            image.bytesPerLine());
}

int sampleOf(int r, int g, int b)
{
    return r << 16 | g << 8 | b;
}

} // namespace

class TestSampling : public QObject
{
    Q_OBJECT

private slots:
    void blockAveragesNinePixelsFromItsCorner()
    {
        const QImage image = coordinateImage(30, 30);
        // 1-based corner (3, 6): 0-based columns 2 ... 4 and rows 5 ... 7.
        QCOMPARE(sampleAt(image, 1.0, 2.0), sampleOf(3, 6, 7));
        QCOMPARE(sampleAt(image, 1.0, 2.0, 0, 2), sampleOf(9, 6, 7));
        QCOMPARE(sampleAt(image, 1.0, 2.0, 90, 2), sampleOf(3, 12, 7)); // y points down
    }

    void blocksOverTheEdgeComeOutDarker()
    {
        const QImage white = filled(300, 30, Qt::white); // a panel 100 units wide
        QCOMPARE(sampleAt(white, 50, 5), 0xFFFFFF);
        QCOMPARE(sampleAt(white, 99.9, 5), 0xAAAAAA);  // 6 of 9 pixels: 1530 / 9 = 170
        QCOMPARE(sampleAt(white, 100.2, 5), 0x555555); // 3 of 9
        QCOMPARE(sampleAt(white, 150, 5), 0);          // inside 300 "units", no pixel left
        QCOMPARE(sampleAt(white, 301, 5), 0);
        QCOMPARE(sampleAt(white, 50, 9.9), 0xAAAAAA);
        QCOMPARE(sampleAt(white, 0.2, 5), 0xAAAAAA);
        // The point itself lies outside, although two columns of its block would not.
        QCOMPARE(sampleAt(white, -0.1, 5), 0);
        QCOMPARE(sampleAt(white, qQNaN(), 5), 0);
    }

    void hubOfFanOnTheEdgeIsBlack()
    {
        const QImage white = filled(60, 60, Qt::white);
        const FanLines lines =
            sampleLines(white.constBits(), 0, 10, 8, 60, 60, white.bytesPerLine(), 400);
        QCOMPARE(lines.at(0).first.at(0), 0);
        QCOMPARE(lines.at(0).first.at(1), 0xFFFFFF);
        QCOMPARE(lines.at(0).second.at(1), 0); // pointing left, off the picture
        QCOMPARE(sampleAt(white, 10, 0), 0);
    }

    void linesTurnFromRightToUp()
    {
        const QImage image = coordinateImage(120, 120);
        const FanLines lines =
            sampleLines(image.constBits(), 20, 20, 20, 120, 120, image.bytesPerLine(), 400);
        QCOMPARE(lines.size(), 400);
        for (int d = 0; d < 10; ++d) {
            QCOMPARE(lines.at(0).first.at(d), sampleOf(60 + 3 * d, 60, 7));    // right
            QCOMPARE(lines.at(0).second.at(d), sampleOf(60 - 3 * d, 60, 7));   // left
            QCOMPARE(lines.at(200).first.at(d), sampleOf(60, 60 - 3 * d, 7));  // up: -90 degrees
            QCOMPARE(lines.at(200).second.at(d), sampleOf(60, 60 + 3 * d, 7)); // down
        }
    }

    void oddLedCountRoundsHalfLinesUp()
    {
        const QImage white = filled(300, 300, Qt::white);
        const FanLines lines =
            sampleLines(white.constBits(), 50, 50, 99, 300, 300, white.bytesPerLine(), 400);
        QCOMPARE(lines.at(17).first.size(), 50);
        QCOMPARE(lines.at(17).second.size(), 50);
        BitPlaneTurn turn;
        QCOMPARE(assembleLine(lines.at(17), 17, turn).size(), 300);
        QVERIFY(sampleLines(white.constBits(), 50, 50, 0, 300, 300, white.bytesPerLine(), 3)
                    .at(0)
                    .first.isEmpty());
    }

    void selectionBeyondTheFrameIsBlack()
    {
        Panel panel;
        panel.width = 10;
        panel.height = 10;
        panel.selection = QRectF(5, 0, 10, 10); // right half outside the 10 x 10 frame
        const LayerImages layers = buildLayerImages(filled(10, 10, Qt::white), panel);
        for (const QImage& layer : {layers.frameImage_z0, layers.frameImage_z1}) {
            QCOMPARE(layer.size(), QSize(30, 30));
            QCOMPARE(layer.format(), QImage::Format_RGB888);
            for (int c = 0; c < 30; ++c) {
                if (c <= 12)
                    QCOMPARE(layer.pixel(c, 17), qRgb(255, 255, 255));
                else if (c >= 17)
                    QCOMPARE(layer.pixel(c, 17), qRgb(0, 0, 0));
            }
        }
    }

    void emptySelectionTakesTheWholeFrame()
    {
        Panel panel;
        panel.width = 4.2; // W = 12, H = 6
        panel.height = 2;
        QImage frame = coordinateImage(4, 2).convertToFormat(QImage::Format_RGB32);
        const LayerImages layers = buildLayerImages(frame, panel);
        QCOMPARE(layers.frameImage_z0.size(), QSize(12, 6));
        QCOMPARE(layers.frameImage_z0.format(), QImage::Format_RGB888);
        QCOMPARE(layers.frameImage_z0.pixel(0, 0), qRgb(0, 0, 7));
        QCOMPARE(layers.frameImage_z0.pixel(11, 5), qRgb(3, 1, 7));
        QCOMPARE(layers.frameImage_z1, layers.frameImage_z0);
    }

    void selectionRoundsHalvesUp()
    {
        Panel panel;
        panel.width = 2;
        panel.height = 1;
        const QImage frame = coordinateImage(4, 1); // R = column
        panel.selection = QRectF(-0.5, 0, 2, 1);    // columns 0 and 1, not -1 and 0
        LayerImages layers = buildLayerImages(frame, panel);
        QCOMPARE(qRed(layers.frameImage_z0.pixel(0, 0)), 0);
        QCOMPARE(qBlue(layers.frameImage_z0.pixel(0, 0)), 7);
        QCOMPARE(qRed(layers.frameImage_z0.pixel(5, 2)), 1);
        panel.selection = QRectF(0.5, 0, 2, 1); // columns 1 and 2
        layers = buildLayerImages(frame, panel);
        QCOMPARE(qRed(layers.frameImage_z0.pixel(0, 0)), 1);
        QCOMPARE(qRed(layers.frameImage_z0.pixel(5, 2)), 2);
    }

    // A selection a sliver thin still shows what it covers: at least one pixel each way.
    void thinSelectionsKeepAPixel_data()
    {
        QTest::addColumn<QRectF>("selection");
        QTest::addColumn<QRect>("region");
        QTest::newRow("less than half a pixel high")
            << QRectF(0, 0, 100, 0.4) << QRect(0, 0, 100, 1);
        QTest::newRow("less than half a pixel wide") << QRectF(2, 1, 0.3, 3) << QRect(2, 1, 1, 3);
        QTest::newRow("negative width") << QRectF(2, 1, -5, 3) << QRect(2, 1, 1, 3);
        QTest::newRow("nothing at all: the whole frame") << QRectF() << QRect();
    }

    void thinSelectionsKeepAPixel()
    {
        QFETCH(QRectF, selection);
        QFETCH(QRect, region);
        QCOMPARE(selectedRegion(selection), region);
        Panel panel;
        panel.width = 4;
        panel.height = 2;
        panel.selection = selection;
        const QImage frame = coordinateImage(8, 5);
        const LayerImages layers = buildLayerImages(frame, panel);
        QCOMPARE(layers.frameImage_z0.size(), QSize(12, 6));
        // The layer's first pixel is the nearest pixel of the region, not black.
        const QRect taken = region.isNull() ? frame.rect() : region;
        const QPoint nearest(taken.left() + int(0.5 * taken.width() / 12),
                             taken.top() + int(0.5 * taken.height() / 6));
        QCOMPARE(layers.frameImage_z0.pixel(0, 0), frame.pixel(nearest));
    }
};

QTEST_MAIN(TestSampling)
#include "tst_sampling.moc"
