#include "bitplanes.h"
#include "fan.h"
#include "fandataset.h"
#include "fanpanel.h"
#include "frontfanlayers.h"
#include "noiseimage.h"
#include "outputrun.h"
#include "packets.h"
#include "panel.h"
#include "panelconversion.h"
#include "samplemap.h"
#include "sampling.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

namespace {

// Front fans blend into their rims over `edgeOffset` pixels.
void blendRims(Panel& panel, int edgeOffset)
{
    panel.edgeOffset = edgeOffset;
    panel.colorOffset0 = "0:(0,0,0,255)|0.5:(0,0,0,128)|1:(0,0,0,0)";
    panel.colorOffset1 = "0:(0,0,0,0)|0.6:(0,0,0,96)|1:(0,0,0,255)";
}

QString firstDifference(const QByteArray& expected, const QByteArray& actual, int ledpcs)
{
    if (expected.size() != actual.size())
        return QString("sizes %1 and %2").arg(expected.size()).arg(actual.size());
    const BladeType blade = bladeType(ledpcs);
    const int packet = packetHeaderSize + blade.chunkBytes;
    for (int i = 0; i < expected.size(); ++i) {
        if (expected.at(i) != actual.at(i))
            return QString("byte %1 (line %2, packet byte %3): expected 0x%4, got 0x%5")
                .arg(i)
                .arg(i / packet / blade.chunks)
                .arg(i % packet)
                .arg(uchar(expected.at(i)), 2, 16, QLatin1Char('0'))
                .arg(uchar(actual.at(i)), 2, 16, QLatin1Char('0'));
    }
    return QString();
}

quint32 environmentNumber(const char* name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

// A random geometry: frame, panel, selection and fans, as odd as the window and the
// installation file allow.
class RandomGeometry
{
public:
    explicit RandomGeometry(quint32 seed) : random(seed) {}

    QSize frameSize()
    {
        return oneIn(6) ? QSize(number(1, 4), number(1, 4)) : QSize(number(8, 400), number(6, 300));
    }

    void fill(FanPanel& fans, QSize frame)
    {
        Panel& panel = fans.panel;
        const int shape = number(0, 9);
        panel.width = shape == 0 ? real(0, 0.4) : shape == 1 ? real(690, 800) : real(1, 260);
        panel.height = shape == 0 ? real(0, 3) : shape == 1 ? real(1, 15) : real(1, 260);
        panel.edgeOffset = number(0, 40);
        const char* stops[] = {"", "0:(0,0,0,255)|0.5:(0,0,0,128)|1:(0,0,0,0)",
                               "0:(0,0,0,0)|0.6:(0,0,0,96)|1:(0,0,0,255)",
                               "0:(255,40,0,200)|1:(0,90,255,255)", "0.3:1,2,3,4|x|1.5:(9,9,9,9)"};
        panel.colorOffset0 = stops[number(0, 4)];
        panel.colorOffset1 = stops[number(0, 4)];

        const double fw = frame.width();
        const double fh = frame.height();
        switch (number(0, 6)) {
        case 0: // never saved: the whole frame
            panel.selection = QRectF();
            break;
        case 1: // a few pixels, enlarged enormously
            panel.selection = QRectF(real(-2, fw), real(-2, fh), real(0.6, 4), real(0.6, 3));
            break;
        case 2: // wholly outside
            panel.selection = QRectF(fw + real(1, 50), real(-10, fh), real(1, 60), real(1, 60));
            break;
        case 3: // larger than the frame: reduced
            panel.selection =
                QRectF(real(-fw, 0), real(-fh, 0), real(fw, 3 * fw), real(fh, 3 * fh));
            break;
        case 4: // nothing left after rounding
            panel.selection = QRectF(real(0, fw), real(0, fh), real(-3, 0.4), real(0, 0.4));
            break;
        default: // partly outside, fractional
            panel.selection =
                QRectF(real(-fw / 3, fw), real(-fh / 3, fh), real(1, fw), real(1, fh));
        }

        const int ledCounts[] = {1088, 704, 512, 320, 256, 224, 192, 99, 703, 0, 1, 2};
        const int fanCount = number(1, 4);
        for (int i = 0; i < fanCount; ++i) {
            int ledpcs = ledCounts[number(0, 11)];
            if (ledpcs == 1088 && !oneIn(3))
                ledpcs = number(3, 150); // the largest blade is the slowest reference: ration it
            if (oneIn(5))
                ledpcs = number(3, 300);
            const double x = oneIn(8) ? 0 : oneIn(8) ? panel.width : real(-20, panel.width + 20);
            const double y = oneIn(8) ? 0 : oneIn(8) ? panel.height : real(-20, panel.height + 20);
            const int layers[] = {0, 0, 1, 1, 2};
            const double diameter = oneIn(4) ? ledpcs : real(-5, 2.2 * std::max(ledpcs, 10));
            fans.addFan(ledpcs, x, y, layers[number(0, 4)], diameter);
        }
    }

private:
    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    double real(double low, double high)
    {
        return std::uniform_real_distribution<double>(low, high)(random);
    }
    bool oneIn(int n) { return number(1, n) == 1; }

    std::mt19937 random;
};

} // namespace

class TestFastConversion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules("default.debug=false"); }

    // The fast path against the straightforward version over random geometries, two frames
    // each, with each kernel. ROTAVIS_TEST_SEED repeats a run; ROTAVIS_TEST_CASES
    // asks for more cases.
    void recordsEqualTheReference_data()
    {
        QTest::addColumn<VectorKernel>("kernel");
        QTest::newRow("scalar") << VectorKernel::Scalar;
        QTest::newRow("portable") << VectorKernel::Portable;
        QTest::newRow("avx2") << VectorKernel::Avx2;
        QTest::newRow("avx2+gfni") << VectorKernel::Avx2Gfni;
    }
    void recordsEqualTheReference()
    {
        QFETCH(VectorKernel, kernel);
        if (!runsHere(kernel))
            QSKIP("this processor does not run the kernel");
        const quint32 seed = environmentNumber("ROTAVIS_TEST_SEED", 20261207);
        const int cases = int(environmentNumber("ROTAVIS_TEST_CASES", 40));
        qInfo("seed %u, %d cases", seed, cases);
        RandomGeometry geometry(seed);
        for (int c = 0; c < cases; ++c) {
            FanPanel fans;
            const QSize frameSize = geometry.frameSize();
            geometry.fill(fans, frameSize);
            PanelConversion conversion(fans.panel, 2, kernel);
            BitPlaneTurn turn;
            turn.advance(c * 37); // the turn runs on from earlier runs
            BitPlaneTurn referenceTurn = turn;
            for (int frame = 0; frame < 2; ++frame) {
                const QImage picture = noiseImage(frameSize.width(), frameSize.height(),
                                                  seed + quint32(c * 2 + frame));
                const QVector<QByteArray> expected =
                    frameRecords(picture, fans.panel, referenceTurn);
                conversion.convert(picture, turn);
                for (int f = 0; f < expected.size(); ++f) {
                    const Fan& fan = *fans.panel.fans.at(f);
                    const QString difference =
                        firstDifference(expected.at(f), conversion.frameRecord(f), fan.ledpcs);
                    if (!difference.isEmpty())
                        QFAIL(qPrintable(
                            QString("seed %1, case %2, frame %3, fan %4 (%5 LEDs at (%6, %7), "
                                    "layer %8) of panel %9 x %10, selection (%11, %12, %13 x "
                                    "%14) of %15 x %16: %17")
                                .arg(seed)
                                .arg(c)
                                .arg(frame)
                                .arg(f)
                                .arg(fan.ledpcs)
                                .arg(fan.x)
                                .arg(fan.y)
                                .arg(fan.z)
                                .arg(fans.panel.width)
                                .arg(fans.panel.height)
                                .arg(fans.panel.selection.x())
                                .arg(fans.panel.selection.y())
                                .arg(fans.panel.selection.width())
                                .arg(fans.panel.selection.height())
                                .arg(frameSize.width())
                                .arg(frameSize.height())
                                .arg(difference)));
                }
                QCOMPARE(turn.swapped(), referenceTurn.swapped());
                QCOMPARE(turn.linesInTurn(), referenceTurn.linesInTurn());
            }
        }
    }

    // The pixels that the map does not count as read may be anything: the records stay the
    // same. Over random geometries, with gaps joined and not.
    void pixelsNotReadLeaveTheRecordsAlone()
    {
        RandomGeometry geometry(20261208);
        int casesLeavingPixelsOut = 0;
        for (int c = 0; c < 30; ++c) {
            FanPanel fans;
            const QSize frameSize = geometry.frameSize();
            geometry.fill(fans, frameSize);
            const QImage picture = noiseImage(frameSize.width(), frameSize.height(), quint32(c));
            PanelConversion conversion(fans.panel);
            BitPlaneTurn turn;
            conversion.convert(picture, turn);
            QVector<QByteArray> expected;
            for (int f = 0; f < conversion.fanCount(); ++f)
                expected.append(conversion.frameRecord(f));

            const PixelRuns runs = conversion.framePixelsRead(
                picture.size(), int(picture.bytesPerLine()), c % 2 ? 8 : 1);
            QImage altered = picture.copy();
            qint64 pixelsLeftOut = 0;
            for (const PixelRun& run : pixelRunsOutside(runs, picture.size())) {
                uchar* row = altered.scanLine(run.row);
                for (int x = 3 * run.begin; x < 3 * run.end; ++x)
                    row[x] = uchar(~row[x]);
                pixelsLeftOut += run.end - run.begin;
            }
            casesLeavingPixelsOut += pixelsLeftOut > 0 ? 1 : 0;
            BitPlaneTurn secondTurn;
            conversion.convert(altered, secondTurn);
            for (int f = 0; f < expected.size(); ++f)
                QVERIFY2(conversion.frameRecord(f) == expected.at(f),
                         qPrintable(QString("case %1, fan %2").arg(c).arg(f)));
        }
        QVERIFY(casesLeavingPixelsOut > 10);
    }

    // The blending of a lone front fan is learned on the first frame and then computed; where
    // two front fans overlap it is painted on every frame. Both give the reference's bytes,
    // and both take the colour stops once, when the conversion starts: a huge stop string is
    // not parsed again for every frame.
    void blendingLearnedUnlessFrontFansOverlap_data()
    {
        QTest::addColumn<double>("secondFanX");
        QTest::addColumn<double>("secondFanY");
        QTest::addColumn<bool>("learned");
        QTest::newRow("apart") << 170.0 << 50.0 << true;
        QTest::newRow("overlapping") << 75.0 << 50.0 << false;
        // Its samples read the frame's last pixel, whose 4-byte read would leave the frame.
        QTest::newRow("apart, over the last pixel") << 166.0 << 66.0 << true;
    }
    void blendingLearnedUnlessFrontFansOverlap()
    {
        QFETCH(double, secondFanX);
        QFETCH(double, secondFanY);
        QFETCH(bool, learned);
        FanPanel fans(200, 100);
        blendRims(fans.panel, 24);
        fans.addFan(100, 50, 50, 1, 100);
        fans.addFan(100, secondFanX, secondFanY, 1, 100);
        fans.addFan(200, 100, 50, 0);
        const QImage first = noiseImage(300, 150, 1);
        const SampleMap map(fans.panel, first.size(), first.bytesPerLine());
        const FrontFanLayers layers(fans.panel, map);
        QCOMPARE(layers.learned(0), learned);
        QCOMPARE(layers.learned(1), learned);

        BitPlaneTurn referenceTurn;
        QVector<QVector<QByteArray>> expected;
        for (quint32 frame = 1; frame <= 3; ++frame)
            expected.append(frameRecords(noiseImage(300, 150, frame), fans.panel, referenceTurn));

        PanelConversion conversion(fans.panel);
        BitPlaneTurn turn;
        for (quint32 frame = 1; frame <= 3; ++frame) {
            conversion.convert(noiseImage(300, 150, frame), turn);
            for (int f = 0; f < expected.at(0).size(); ++f)
                QVERIFY(conversion.frameRecord(f) == expected.at(int(frame) - 1).at(f));
            fans.panel.colorOffset0 = fans.panel.colorOffset1 = "0:(255,255,255,255)";
        }
    }

    // The files of two runs in a row hold the reference's records in frame order, the
    // 14-channel fans taking their turns one after the other in list order across frames and
    // runs; the process's own turn is left alone by runs that bring their own.
    void runsWriteTheReferenceRecordsInOrder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        FanPanel fans(150, 100);
        blendRims(fans.panel, 12);
        fans.addFan(224, 50, 50);
        fans.addFan(192, 100, 50, 1, 90);
        fans.addFan(320, 75, 50);
        fans.addFan(224, 100, 60, 2);
        const BitPlaneTurn processTurn = BitPlaneTurn::outputRuns();
        BitPlaneTurn turn;
        turn.advance(1234);
        BitPlaneTurn referenceTurn = turn;
        for (int run = 0; run < 2; ++run) {
            QVector<QByteArray> expected(fans.panel.fans.size());
            OutputRun output(turn);
            const QString path = dir.filePath(QString("run%1").arg(run));
            QVERIFY(output.open(path, &fans.panel));
            for (int frame = 0; frame < 3; ++frame) {
                const QImage picture = noiseImage(160 + run, 90, quint32(frame + 10 * run));
                const QVector<QByteArray> records =
                    frameRecords(picture, fans.panel, referenceTurn);
                for (int f = 0; f < records.size(); ++f)
                    expected[f] += records.at(f);
                QVERIFY(output.convertFrame(picture));
            }
            output.close();
            for (int f = 0; f < expected.size(); ++f) {
                QFile file(FanDataSet::fileName(path, f, expected.size()));
                QVERIFY(file.open(QIODevice::ReadOnly));
                QVERIFY2(file.readAll() == expected.at(f), qPrintable(QString("fan %1").arg(f)));
            }
        }
        QCOMPARE(turn.swapped(), referenceTurn.swapped());
        QCOMPARE(turn.linesInTurn(), referenceTurn.linesInTurn());
        QCOMPARE(BitPlaneTurn::outputRuns().swapped(), processTurn.swapped());
        QCOMPARE(BitPlaneTurn::outputRuns().linesInTurn(), processTurn.linesInTurn());
    }
};

QTEST_MAIN(TestFastConversion)
#include "tst_fastconversion.moc"
