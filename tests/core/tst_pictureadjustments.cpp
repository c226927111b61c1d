#include "adjustmentformula.h"
#include "adjustmentstage.h"
#include "pictureadjustments.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <random>

Q_DECLARE_METATYPE(PictureAdjustments)

namespace {

TestAdjustments::Values testValues(const PictureAdjustments& a)
{
    return {a.brightness, a.contrast, a.saturation, a.gamma, a.rotation, a.mirror};
}

// Pixels that take every channel through all 256 values, beside other channels at values
// from the dark to the bright end, and random pixels, laid out in rows of an odd width so that the
// vector loop meets its row ends.
QImage sweepPicture()
{
    const int others[] = {0, 1, 37, 127, 128, 200, 254, 255};
    QVector<QRgb> pixels;
    for (int channel = 0; channel < 3; ++channel) {
        for (int a : others) {
            for (int b : others) {
                for (int v = 0; v < 256; ++v) {
                    int rgb[3] = {a, b, a};
                    rgb[channel] = v;
                    rgb[(channel + 1) % 3] = b;
                    pixels << qRgb(rgb[0], rgb[1], rgb[2]);
                }
            }
        }
    }
    std::mt19937 random(24);
    for (int i = 0; i < 60000; ++i)
        pixels << (random() & 0xffffff);
    const int width = 253;
    QImage image(width, (pixels.size() + width - 1) / width, QImage::Format_RGB888);
    image.fill(Qt::black);
    for (int i = 0; i < pixels.size(); ++i)
        image.setPixel(i % width, i / width, pixels.at(i));
    return image;
}

} // namespace

class TestPictureAdjustments : public QObject
{
    Q_OBJECT

private slots:
    void colourStepsFollowTheFormula_data();
    void colourStepsFollowTheFormula();
    void turnMovesPixelsExactly_data();
    void turnMovesPixelsExactly();
    void neutralValuesLeaveThePictureAlone();
    void onlyThePixelsReadAreAdjustedUntilCompleted_data();
    void onlyThePixelsReadAreAdjustedUntilCompleted();
    void turnedImagesAreReusedOnlyWhenFree();
    void problemNamesTheValueOutsideItsRange_data();
    void problemNamesTheValueOutsideItsRange();
};

void TestPictureAdjustments::colourStepsFollowTheFormula_data()
{
    QTest::addColumn<PictureAdjustments>("adjustments");
    QTest::addColumn<VectorKernel>("kernel");
    struct Row
    {
        const char* name;
        double brightness, contrast, saturation, gamma;
    };
    const Row rows[] = {
        {"brightness only", 0.2, 1, 1, 1},
        {"contrast only", 0, 1.7, 1, 1},
        {"gamma only (steep near black)", 0, 1, 1, 5},
        {"gamma only (steep near white)", 0, 1, 1, 0.2},
        {"all but saturation", -0.3, 2.5, 1, 1.8},
        {"saturation only", 0, 1, 1.5, 1},
        {"saturation to grey", 0, 1, 0, 1},
        {"all four", 0.1, 1.3, 2.2, 0.7},
        {"all four, extremes", -1, 3, 3, 5},
        {"contrast 1 with brightness", 0.05, 1, 0.5, 2.2},
    };
    for (const Row& row : rows) {
        PictureAdjustments a;
        a.brightness = row.brightness;
        a.contrast = row.contrast;
        a.saturation = row.saturation;
        a.gamma = row.gamma;
        for (VectorKernel kernel : {VectorKernel::Portable, VectorKernel::Avx2}) {
            if (!runsHere(kernel))
                continue;
            QTest::addRow("%s, %s", row.name,
                          kernel == VectorKernel::Portable ? "portable" : "avx2")
                << a << kernel;
        }
    }
}

void TestPictureAdjustments::colourStepsFollowTheFormula()
{
    QFETCH(PictureAdjustments, adjustments);
    QFETCH(VectorKernel, kernel);
    const QImage original = sweepPicture();
    QImage picture = original.copy();
    ColourAdjustment(adjustments, kernel)
        .apply(picture.bits(), picture.width(), picture.height(), picture.bytesPerLine());
    const TestAdjustments::Values values = testValues(adjustments);
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* in = original.constScanLine(y);
        const uchar* out = picture.constScanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            const int rgb[3] = {in[3 * x], in[3 * x + 1], in[3 * x + 2]};
            for (int c = 0; c < 3; ++c) {
                if (out[3 * x + c] != TestAdjustments::channelByte(values, rgb, c))
                    QFAIL(qPrintable(QString("pixel %1,%2,%3 channel %4: %5, the formula gives %6")
                                         .arg(rgb[0])
                                         .arg(rgb[1])
                                         .arg(rgb[2])
                                         .arg(c)
                                         .arg(out[3 * x + c])
                                         .arg(TestAdjustments::channelByte(values, rgb, c))));
            }
        }
    }
}

void TestPictureAdjustments::turnMovesPixelsExactly_data()
{
    QTest::addColumn<int>("rotation");
    QTest::addColumn<bool>("mirror");
    for (int rotation : {0, 90, 180, 270}) {
        for (bool mirror : {false, true})
            QTest::addRow("%d%s", rotation, mirror ? " mirrored" : "") << rotation << mirror;
    }
}

void TestPictureAdjustments::turnMovesPixelsExactly()
{
    QFETCH(int, rotation);
    QFETCH(bool, mirror);
    QImage picture(5, 3, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 40, y * 80, 7));
    }
    PictureAdjustments a;
    a.rotation = rotation;
    a.mirror = mirror;
    const QImage expected = TestAdjustments::adjusted(picture, testValues(a));
    const QImage turned = AdjustmentStage::adjusted(picture, a);
    QCOMPARE(turned.size(), a.turnedSize(picture.size()));
    QCOMPARE(turned, expected);
}

void TestPictureAdjustments::neutralValuesLeaveThePictureAlone()
{
    QImage picture(7, 4, QImage::Format_RGB888);
    picture.fill(QColor(10, 200, 30));
    const QImage before = picture.copy();
    AdjustmentStage stage{PictureAdjustments()};
    const QImage after = stage.apply(picture);
    QCOMPARE(after.constBits(), picture.constBits()); // the same pixels, not a copy
    QCOMPARE(after, before);
}

void TestPictureAdjustments::onlyThePixelsReadAreAdjustedUntilCompleted_data()
{
    QTest::addColumn<double>("saturation");
    QTest::addColumn<VectorKernel>("kernel");
    for (VectorKernel kernel : {VectorKernel::Portable, VectorKernel::Avx2}) {
        if (!runsHere(kernel))
            continue;
        const char* name = kernel == VectorKernel::Portable ? "portable" : "avx2";
        QTest::addRow("table, %s", name) << 1.0 << kernel;
        QTest::addRow("pixel-wise, %s", name) << 1.4 << kernel;
    }
}

// Runs of every length up to beyond two vector blocks, at every offset against the blocks:
// the pixels of the runs become what adjusting the whole picture makes of them, the others
// stay as they are; the completed copy has every pixel adjusted once.
void TestPictureAdjustments::onlyThePixelsReadAreAdjustedUntilCompleted()
{
    QFETCH(double, saturation);
    QFETCH(VectorKernel, kernel);
    PictureAdjustments a;
    a.brightness = 0.1;
    a.contrast = 1.2;
    a.gamma = 1.8;
    a.saturation = saturation;
    const QImage original = sweepPicture();
    QImage whole = original.copy();
    ColourAdjustment(a, kernel).apply(whole.bits(), whole.width(), whole.height(),
                                      whole.bytesPerLine());
    PixelRuns runs;
    for (int y = 0; y < original.height(); ++y) {
        for (int x = y % 7, length = 1 + y % 19; x + length <= original.width();
             x += length + 1 + (x + y) % 5, length = 1 + (length + 5) % 19)
            runs.push_back({y, x, x + length});
    }
    QVector<bool> inRuns(original.width() * original.height());
    for (const PixelRun& run : runs) {
        for (int x = run.begin; x < run.end; ++x)
            inRuns[run.row * original.width() + x] = true;
    }

    AdjustmentStage stage(a, kernel);
    stage.setReadPixels([&](QSize, int) { return runs; });
    QImage picture = original.copy();
    const QImage adjusted = stage.apply(picture);
    for (int y = 0; y < original.height(); ++y) {
        for (int x = 0; x < original.width(); ++x) {
            const QImage& expected = inRuns[y * original.width() + x] ? whole : original;
            if (adjusted.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(QString("pixel %1, %2").arg(x).arg(y)));
        }
    }
    QCOMPARE(stage.completed(adjusted), whole);
    QVERIFY(adjusted != whole); // a copy was completed, not the picture being read
}

// A consumer may keep a turned frame while the next is made: it is never written again.
void TestPictureAdjustments::turnedImagesAreReusedOnlyWhenFree()
{
    PictureAdjustments a;
    a.rotation = 90;
    AdjustmentStage stage(a);
    QImage first(4, 2, QImage::Format_RGB888);
    first.fill(Qt::red);
    QImage second(4, 2, QImage::Format_RGB888);
    second.fill(Qt::blue);
    const QImage kept = stage.apply(first);
    const QImage next = stage.apply(second);
    QCOMPARE(kept.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(next.pixelColor(0, 0), QColor(Qt::blue));
    QVERIFY(kept.constBits() != next.constBits());
}

void TestPictureAdjustments::problemNamesTheValueOutsideItsRange_data()
{
    QTest::addColumn<PictureAdjustments>("adjustments");
    QTest::addColumn<QString>("named"); // empty: no problem
    const double nan = std::numeric_limits<double>::quiet_NaN();
    PictureAdjustments edges;
    edges.brightness = -1;
    edges.contrast = 3;
    edges.saturation = 0;
    edges.gamma = 0.2;
    edges.rotation = 270;
    QTest::newRow("the range ends") << edges << QString();
    PictureAdjustments a;
    a.brightness = 1.01;
    QTest::newRow("brightness") << a << "brightness";
    a = PictureAdjustments();
    a.contrast = -0.1;
    QTest::newRow("contrast") << a << "contrast";
    a = PictureAdjustments();
    a.saturation = nan;
    QTest::newRow("saturation not a number") << a << "saturation";
    a = PictureAdjustments();
    a.gamma = 0.19;
    QTest::newRow("gamma") << a << "gamma";
    a = PictureAdjustments();
    a.rotation = 45;
    QTest::newRow("rotation") << a << "rotation";
}

void TestPictureAdjustments::problemNamesTheValueOutsideItsRange()
{
    QFETCH(PictureAdjustments, adjustments);
    QFETCH(QString, named);
    const QString problem = adjustments.problem();
    if (named.isEmpty())
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    else
        QVERIFY2(problem.startsWith(named + ' '), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestPictureAdjustments)
#include "tst_pictureadjustments.moc"
