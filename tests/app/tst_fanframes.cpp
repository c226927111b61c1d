// The window's fan view pieces against the converter: the frame conversion gives the very
// line data of the fan data files, and the fast disc picture is the converter's fan view,
// pixel for pixel.
#include "bitplanes.h"
#include "bladetypes.h"
#include "fandatareader.h"
#include "fandiscmap.h"
#include "fanframes.h"
#include "fanpanel.h"
#include "fanview.h"
#include "messagecapture.h"
#include "noiseimage.h"
#include "outputrun.h"
#include "packets.h"
#include "panel.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A rear fan and a front fan of `ledpcs` LEDs overlapping on one panel, the front one
// blended into the rear.
struct OverlappingFans : FanPanel
{
    explicit OverlappingFans(int ledpcs) : FanPanel(1.5 * ledpcs, ledpcs, 12)
    {
        panel.colorOffset0 = "0:(0,0,0,255)|0.5:(0,0,0,128)|1:(0,0,0,0)";
        panel.colorOffset1 = "0:(0,0,0,0)|1:(0,0,0,255)";
        panel.selection = QRectF(5.5, 3.25, 70, 47);
        addFan(ledpcs, 0.5 * ledpcs, 0.5 * ledpcs, 0, ledpcs);
        addFan(ledpcs, 1.0 * ledpcs, 0.5 * ledpcs, 1, ledpcs);
    }
};

bool packedInFourteenChannels(int ledpcs)
{
    const BladeType* blade = bladeTypeForLine(6 * halfLineLength(ledpcs));
    return blade && blade->bitPlaneChannels == 14;
}

} // namespace

class TestFanFrames : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;

private slots:
    void initTestCase() { messages = std::make_unique<MessageCapture>(); }

    void bladeTypes_data()
    {
        QTest::addColumn<int>("ledpcs");
        for (const int leds : {1088, 704, 512, 320, 256, 224, 192, 64, 63})
            QTest::newRow(qPrintable(QString::number(leds))) << leds;
    }

    // Two frames through the conversion, against the files that an output run writes for
    // them; the process-wide bit-plane turn is left where it was.
    void convertsToTheLinesOfTheDataFiles_data() { bladeTypes_data(); }
    void convertsToTheLinesOfTheDataFiles()
    {
        QFETCH(int, ledpcs);
        OverlappingFans fans(ledpcs);
        const QList<QImage> frames{noiseImage(90, 60, 7), noiseImage(90, 60, 8)};
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        BitPlaneTurn::outputRuns() = BitPlaneTurn();
        OutputRun run;
        QVERIFY(run.open(folder.filePath("ref"), &fans.panel));
        for (const QImage& frame : frames)
            QVERIFY(run.convertFrame(frame));
        run.close();

        const int turn = BitPlaneTurn::outputRuns().linesInTurn();
        const bool swapped = BitPlaneTurn::outputRuns().swapped();
        FanFrameConverter converter;
        for (int f = 0; f < frames.size(); ++f) {
            const QVector<FanFrameLines> converted = converter.convert(frames.at(f), fans.panel);
            QCOMPARE(converted.size(), 2);
            for (int i = 0; i < 2; ++i) {
                FanDataReader reader;
                QVERIFY(reader.open(fanDataFileName(folder.filePath("ref"), i, 2)));
                const QVector<QByteArray> expected = reader.frameLines(f);
                QCOMPARE(converted.at(i).lines.size(), bladeType(ledpcs).linesPerFrame);
                QCOMPARE(converted.at(i).swapped.size(), bladeType(ledpcs).linesPerFrame);
                for (int k = 0; k < expected.size(); ++k) {
                    QVERIFY2(converted.at(i).lines.at(k) == expected.at(k),
                             qPrintable(QString("frame %1, fan %2, line %3").arg(f).arg(i).arg(k)));
                    // Both started unswapped and count the same lines in the same order.
                    const qint64 before = (qint64(f) * 2 + i) * bladeType(ledpcs).linesPerFrame + k;
                    const bool packed14 = packedInFourteenChannels(ledpcs);
                    QCOMPARE(converted.at(i).swapped.at(k),
                             packed14 && BitPlaneTurn::swappedAfter(before));
                }
            }
        }
        QCOMPARE(BitPlaneTurn::outputRuns().linesInTurn(), turn);
        QCOMPARE(BitPlaneTurn::outputRuns().swapped(), swapped);
    }

    // Any line data, the 14-channel lines in both turns.
    void discMapDrawsTheConvertersFanView_data() { bladeTypes_data(); }
    void discMapDrawsTheConvertersFanView()
    {
        QFETCH(int, ledpcs);
        const int lineCount = bladeType(ledpcs).linesPerFrame;
        const QImage noise = noiseImage(3 * ledpcs, lineCount, quint32(ledpcs));
        QVector<QByteArray> lines;
        for (int k = 0; k < lineCount; ++k)
            lines.append(
                QByteArray(reinterpret_cast<const char*>(noise.constScanLine(k)), 3 * ledpcs));
        const SwapTurn swapped = [](int line) { return line % 3 == 1; };
        const QImage expected = renderFanView(lines, ledpcs, swapped);

        const bool packed14 = packedInFourteenChannels(ledpcs);
        QVector<QByteArray> colours;
        for (int k = 0; k < lineCount; ++k)
            colours.append(ledColours(lines.at(k), ledpcs, packed14 && swapped(k)));
        const FanDiscMap map(ledpcs, lineCount, expected.width());
        const QImage drawn = map.render(colours);
        QCOMPARE(drawn.size(), expected.size());
        QVERIFY(drawn == expected);
    }
};

QTEST_MAIN(TestFanFrames)
#include "tst_fanframes.moc"
