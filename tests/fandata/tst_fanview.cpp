#include "bitplanes.h"
#include "bladetypes.h"
#include "fan.h"
#include "fandatareader.h"
#include "fanview.h"
#include "filledimage.h"
#include "sampling.h"

#include <QtTest>

#include <cstring>

namespace {

// One frame record of `fan` sampled from `image` in a fresh turn, read back as a file would be.
QVector<QByteArray> recordLines(const QImage& image, const Fan& fan)
{
    BitPlaneTurn turn;
    FanDataReader reader;
    if (!reader.read(fanFrameRecord(image, fan, turn)))
        return {};
    return reader.frameLines(0);
}

QColor pixelAt(const QImage& view, double fx, double fy)
{
    return view.pixelColor(int(fx * view.width()), int(fy * view.height()));
}

const SwapTurn neverSwapped = [](int) { return false; };

} // namespace

class TestFanView : public QObject
{
    Q_OBJECT

private slots:
    void unpackingRestoresPackedLeds_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("swapped");
        QTest::newRow("16 channels") << 16 << false;
        QTest::newRow("16 channels, swapped") << 16 << true;
        QTest::newRow("14 channels") << 14 << false;
        QTest::newRow("14 channels, swapped") << 14 << true;
    }

    void unpackingRestoresPackedLeds()
    {
        QFETCH(int, channels);
        QFETCH(bool, swapped);
        uchar line[packedLineSize];
        for (int i = 0; i < packedLineSize; ++i)
            line[i] = uchar((i * 37 + 11) & 0xFF);
        uchar packed[packedLineSize];
        uchar unpacked[packedLineSize];
        packBitPlanes(packed, line, channels, swapped);
        unpackBitPlanes(unpacked, packed, channels, swapped);
        const int carried = 3 * 16 * channels;
        QVERIFY(std::memcmp(unpacked, line, size_t(carried)) == 0);
        // The fast version gives the reference's bytes, for packed lines and any other.
        for (const uchar* words :
             {static_cast<const uchar*>(packed), static_cast<const uchar*>(line)}) {
            uchar reference[packedLineSize];
            uchar fast[packedLineSize];
            unpackBitPlanes(reference, words, channels, swapped);
            unpackBitPlanesFast(fast, words, channels, swapped);
            QVERIFY(std::memcmp(fast, reference, packedLineSize) == 0);
        }
        for (int i = carried; i < packedLineSize; ++i)
            QCOMPARE(int(unpacked[i]), 0);
        // Unpacked with the other turn, the two halves of the blade change places.
        if (channels == 14) {
            unpackBitPlanes(unpacked, packed, channels, !swapped);
            QVERIFY(std::memcmp(unpacked, line + 3 * 16 * 7, 3 * 16 * 7) == 0);
            QVERIFY(std::memcmp(unpacked + 3 * 16 * 7, line, 3 * 16 * 7) == 0);
        }
    }

    void swapTurnsFollowTheProcessedLines()
    {
        BitPlaneTurn stepped;
        for (qint64 n = 0; n < 1250; ++n) {
            QCOMPARE(stepped.swapped(), BitPlaneTurn::swappedAfter(n));
            BitPlaneTurn jumped;
            jumped.advance(n);
            QCOMPARE(jumped.swapped(), stepped.swapped());
            QCOMPARE(jumped.linesInTurn(), stepped.linesInTurn());
            stepped.next();
        }
        QCOMPARE(BitPlaneTurn::swappedAfter(299), false);
        QCOMPARE(BitPlaneTurn::swappedAfter(300), true);
        QCOMPARE(BitPlaneTurn::swappedAfter(599), true);
        QCOMPARE(BitPlaneTurn::swappedAfter(600), false);
    }

    void packedLineComesBackAsItsLedColours()
    {
        // A 224-LED line: LED i has colour (i, 255 - i, 7) after the curve; groups 14 and 15
        // of each channel never reach the file.
        QByteArray colours(3 * 224, '\0');
        for (int led = 0; led < 224; ++led) {
            colours[3 * led] = char(led);
            colours[3 * led + 1] = char(255 - led);
            colours[3 * led + 2] = char(7);
        }
        uchar packed[packedLineSize] = {};
        uchar padded[packedLineSize] = {};
        std::memcpy(padded, colours.constData(), size_t(colours.size()));
        packBitPlanes(packed, padded, 14, true);
        const QByteArray written(reinterpret_cast<const char*>(packed), 672);

        const QByteArray back = ledColours(written, 224, true);
        QCOMPARE(back.size(), 3 * 224);
        for (int led = 0; led < 224; ++led) {
            const bool carried = led % 16 < 14;
            const QByteArray expected = carried ? colours.mid(3 * led, 3) : QByteArray(3, '\0');
            QCOMPARE(back.mid(3 * led, 3), expected);
        }
    }

    void uniformFrameShowsTheCurvedColourOnTheDisc()
    {
        // 64 LEDs: no hub dimming, no packing; the curve makes (200, 100, 50) into
        // (200*200/255, 100*100/255, 50*50/255) = (156, 39, 9).
        Fan fan;
        fan.ledpcs = 64;
        fan.x = 40;
        fan.y = 40;
        const QVector<QByteArray> lines = recordLines(filled(240, 240, QColor(200, 100, 50)), fan);
        QCOMPARE(lines.size(), 400);
        const QImage view = renderFanView(lines, 64, neverSwapped);
        QVERIFY(!view.isNull());
        QCOMPARE(view.width(), view.height());
        // 32 LEDs from hub to rim are each at least two pixels wide.
        QVERIFY(view.width() >= 2 * 64);

        const QColor lit(156, 39, 9);
        QCOMPARE(pixelAt(view, 0.5, 0.5), lit);
        for (double f : {0.1, 0.3, 0.7, 0.9}) {
            QCOMPARE(pixelAt(view, f, 0.5), lit);
            QCOMPARE(pixelAt(view, 0.5, f), lit);
        }
        for (QPointF corner :
             {QPointF(0, 0), QPointF(0.99, 0), QPointF(0, 0.99), QPointF(0.99, 0.99)})
            QCOMPARE(pixelAt(view, corner.x(), corner.y()), QColor(Qt::black));
    }

    void directionsOnTheDiscMatchThePicture()
    {
        // Four quadrants of different colours around the fan's centre.
        QImage image(240, 240, QImage::Format_RGB888);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 240; ++x)
                image.setPixelColor(x, y,
                                    y < 120 ? (x < 120 ? Qt::red : Qt::green)
                                            : (x < 120 ? Qt::blue : Qt::white));
        Fan fan;
        fan.ledpcs = 64;
        fan.x = 40;
        fan.y = 40;
        const QImage view = renderFanView(recordLines(image, fan), 64, neverSwapped);
        QCOMPARE(pixelAt(view, 0.25, 0.25), QColor(255, 0, 0));
        QCOMPARE(pixelAt(view, 0.75, 0.25), QColor(0, 255, 0));
        QCOMPARE(pixelAt(view, 0.25, 0.75), QColor(0, 0, 255));
        QCOMPARE(pixelAt(view, 0.75, 0.75), QColor(255, 255, 255));
    }

    void fourteenChannelViewNeedsTheRightTurn()
    {
        // Left half red, right half blue: with the wrong turn the halves of the blade change
        // places and the colours of the two sides swap.
        QImage image(3 * 240, 3 * 240, QImage::Format_RGB888);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixelColor(x, y, x < image.width() / 2 ? Qt::red : Qt::blue);
        Fan fan;
        fan.ledpcs = 224;
        fan.x = 120;
        fan.y = 120;
        const QVector<QByteArray> lines = recordLines(image, fan);
        const SwapTurn fromProgramStart = [](int line) { return BitPlaneTurn::swappedAfter(line); };
        const QImage right = renderFanView(lines, 224, fromProgramStart);
        QCOMPARE(pixelAt(right, 0.2, 0.45), QColor(255, 0, 0));
        QCOMPARE(pixelAt(right, 0.8, 0.45), QColor(0, 0, 255));
        // Line 350 (a swapped one, after 300 lines) points its first half up and to the
        // right; read unswapped, it would show red there.
        const SwapTurn wrong = [](int line) { return !BitPlaneTurn::swappedAfter(line); };
        const QImage swappedView = renderFanView(lines, 224, wrong);
        QCOMPARE(pixelAt(swappedView, 0.8, 0.45), QColor(255, 0, 0));
    }

    void emptyInputGivesNoPicture()
    {
        QVERIFY(renderFanView({}, 64, neverSwapped).isNull());
        QVERIFY(renderFanView(QVector<QByteArray>(400, QByteArray(192, '\0')), 0, neverSwapped)
                    .isNull());
    }
};

QTEST_GUILESS_MAIN(TestFanView)
#include "tst_fanview.moc"
