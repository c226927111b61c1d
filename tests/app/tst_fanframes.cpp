// The window's fan view pieces against the converter: the frame conversion gives the very
// line data of the fan data files, and the fast disc picture is the converter's fan view,
// pixel for pixel.
#include "bitplanes.h"
#include "bladetypes.h"
#include "fandatareader.h"
#include "fandataset.h"
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

} // namespace

class TestFanFrames : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;

    // Every blade type and two LED counts that are none; the 224- and 192-LED blades pack
    // their lines into 14 bit-plane channels, whose halves swap in turns.
    static void bladeTypes()
    {
        QTest::addColumn<int>("ledpcs");
        QTest::addColumn<bool>("packed14");
        QTest::newRow("1088") << 1088 << false;
        QTest::newRow("704") << 704 << false;
        QTest::newRow("512") << 512 << false;
        QTest::newRow("320") << 320 << false;
        QTest::newRow("256") << 256 << false;
        QTest::newRow("224") << 224 << true;
        QTest::newRow("192") << 192 << true;
        QTest::newRow("64") << 64 << false;
        QTest::newRow("63") << 63 << false;
    }

private slots:
    void initTestCase() { messages = std::make_unique<MessageCapture>(); }

    // Two frames through the conversion, against the files that an output run writes for
    // them; the process-wide bit-plane turn is left where it was.
    void convertsToTheLinesOfTheDataFiles_data() { bladeTypes(); }
    void convertsToTheLinesOfTheDataFiles()
    {
        QFETCH(int, ledpcs);
        QFETCH(bool, packed14);
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
                QVERIFY(reader.open(FanDataSet::fileName(folder.filePath("ref"), i, 2)));
                const QVector<QByteArray> expected = reader.frameLines(f);
                QCOMPARE(converted.at(i).lines.size(), bladeType(ledpcs).linesPerFrame);
                QCOMPARE(converted.at(i).swapped.size(), bladeType(ledpcs).linesPerFrame);
                for (int k = 0; k < expected.size(); ++k) {
                    QVERIFY2(converted.at(i).lines.at(k) == expected.at(k),
                             qPrintable(QString("frame %1, fan %2, line %3").arg(f).arg(i).arg(k)));
                    // Both started unswapped and count the same lines in the same order.
                    const qint64 before = (qint64(f) * 2 + i) * bladeType(ledpcs).linesPerFrame + k;
                    QCOMPARE(converted.at(i).swapped.at(k),
                             packed14 && BitPlaneTurn::swappedAfter(before));
                }
            }
        }
        QCOMPARE(BitPlaneTurn::outputRuns().linesInTurn(), turn);
        QCOMPARE(BitPlaneTurn::outputRuns().swapped(), swapped);
    }

    // Any line data, the 14-channel lines in both turns.
    void discMapDrawsTheConvertersFanView_data() { bladeTypes(); }
    void discMapDrawsTheConvertersFanView()
    {
        QFETCH(int, ledpcs);
        QFETCH(bool, packed14);
        const int lineCount = bladeType(ledpcs).linesPerFrame;
        const QImage noise = noiseImage(3 * ledpcs, lineCount, quint32(ledpcs));
        QVector<QByteArray> lines;
        for (int k = 0; k < lineCount; ++k)
            lines.append(
                QByteArray(reinterpret_cast<const char*>(noise.constScanLine(k)), 3 * ledpcs));
        const SwapTurn swapped = [](int line) { return line % 3 == 1; };
        const QImage expected = renderFanView(lines, ledpcs, swapped);

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
