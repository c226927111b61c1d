#include "bitplanes.h"
#include "bladetypes.h"
#include "ledprocessing.h"
#include "linecolours.h"
#include "sampling.h"

#include <QtTest>

#include <cstring>

#include <vector>

namespace {

using Bytes = std::vector<uchar>;

// A line of `leds` LEDs, all (v, v, v), in a buffer of at least 768 bytes.
Bytes greyLine(int leds, uchar v)
{
    Bytes line(size_t(std::max(3 * leds, packedLineSize)), 0);
    std::fill(line.begin(), line.begin() + 3 * leds, v);
    return line;
}

void setLed(Bytes& line, int led, uchar r, uchar g, uchar b)
{
    line[size_t(3 * led)] = r;
    line[size_t(3 * led + 1)] = g;
    line[size_t(3 * led + 2)] = b;
}

int led(const Bytes& line, int index, int channel)
{
    return line[size_t(3 * index + channel)];
}

int nonZeroBytes(const Bytes& bytes)
{
    return int(std::count_if(bytes.begin(), bytes.end(), [](uchar b) { return b != 0; }));
}

// The little-endian word of group g for bit b of a packed block.
int word(const Bytes& packed, int group, int bit)
{
    const size_t at = size_t(48 * group + 2 * (23 - bit));
    return packed[at] | packed[at + 1] << 8;
}

} // namespace

class TestLedProcessing : public QObject
{
    Q_OBJECT

private:
    BitPlaneTurn turn;

private slots:
    void init() { turn = BitPlaneTurn(); }

    void squaringCurveKeepsOnlyBrightPeaks_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("below 240")
            << QByteArray("\xEF\x00\x00", 3) << QByteArray("\xE0\x00\x00", 3);
        QTest::newRow("peak kept")
            << QByteArray("\xF0\x64\x00", 3) << QByteArray("\xF0\x27\x00", 3);
        QTest::newRow("white") << QByteArray("\xFF\xFF\xFF", 3) << QByteArray("\xFF\xFF\xFF", 3);
        QTest::newRow("two peaks")
            << QByteArray("\xFA\xFA\x0A", 3) << QByteArray("\xFA\xFA\x00", 3);
    }
    void squaringCurveKeepsOnlyBrightPeaks()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        processLine(reinterpret_cast<uchar*>(in.data()), 0, in.size(), turn);
        QCOMPARE(in, out);
    }

    void longBladesGetOnlyTheCurve()
    {
        Bytes line = greyLine(1088, 226); // 226 squared / 255 = 200
        processLine(line.data(), 3, 3264, turn);
        QVERIFY(std::all_of(line.begin(), line.end(), [](uchar b) { return b == 200; }));
    }

    void hubOf704LedBladeDimsByLine()
    {
        for (int lineIndex = 0; lineIndex < 8; ++lineIndex) {
            Bytes line = greyLine(704, 226);
            processLine(line.data(), lineIndex, 2112, turn);
            const int hub = lineIndex % 4 == 3 ? 30 : 0; // 200 x 0.15 + 0.5
            QCOMPARE(led(line, 0, 0), hub);
            QCOMPARE(led(line, 352, 2), hub);
            if (lineIndex == 0) {
                QCOMPARE(led(line, 4, 1), 32);        // table 0.16
                QCOMPARE(led(line, 16, 0), 81);       // rule A: 0.4048
                QCOMPARE(led(line, 352 + 16, 2), 81); // its partner
                // 0.4525 in single precision lies just below it: 200 x e is 90.4999...,
                // not 90.5 (a single-precision product would round up to 91).
                QCOMPARE(led(line, 25, 0), 90);
                QCOMPARE(led(line, 127, 0), 199); // rule A: 0.9931
                QCOMPARE(led(line, 128, 0), 200); // beyond the mid range
                QCOMPARE(led(line, 351, 0), 200);
            }
        }
    }

    void oddCountLineIsDimmedByItsLength()
    {
        // 703 LEDs sample 352 points per half-line: a 2112-byte line, dimmed like 704 LEDs.
        const HalfLine half(352, 0xE2E2E2);
        const QByteArray line = assembleLine(Line(half, half), 3, turn);
        QCOMPARE(line.size(), 2112);
        QCOMPARE(uchar(line.at(0)), uchar(30));
        QCOMPARE(uchar(line.at(3 * 352)), uchar(30));
        QCOMPARE(uchar(line.at(3 * 200)), uchar(200));
    }

    void hubOf320LedBladeUsesShortTable()
    {
        Bytes line = greyLine(320, 226);
        processLine(line.data(), 7, 960, turn);
        QCOMPARE(led(line, 4, 0), 180); // 0.9
        for (int i : {5, 6, 7}) {
            QCOMPARE(led(line, i, 0), 200); // factor 1
            QCOMPARE(led(line, 160 + i, 0), 200);
        }
        QCOMPARE(led(line, 8, 1), 128);       // rule B: 0.642
        QCOMPARE(led(line, 160 + 8, 1), 128); // partner
        QCOMPARE(led(line, 25, 0), 150);      // rule B: 0.7525, just below in single precision
        QCOMPARE(led(line, 64, 0), 200);

        Bytes other = greyLine(320, 226);
        processLine(other.data(), 0, 960, turn);
        QCOMPARE(led(other, 2, 0), 0);
        QCOMPARE(led(other, 5, 0), 40); // 0.2
    }

    void packBitPlanesPlacesEachChannelBit()
    {
        Bytes in(packedLineSize, 0);
        setLed(in, 3 + 16 * 5, 0x01, 0x00, 0x80);  // group 3, channel 5: bits 0 and 23
        setLed(in, 0 + 16 * 10, 0x00, 0x02, 0x00); // group 0, channel 10: bit 9
        setLed(in, 7 + 16 * 15, 0xFF, 0xFF, 0xFF); // channel 15: not read by 14 channels

        Bytes out(packedLineSize, 0xAA);
        packBitPlanes(out.data(), in.data(), 14, false);
        QCOMPARE(word(out, 3, 23), 1 << 5);
        QCOMPARE(word(out, 3, 0), 1 << 5);
        QCOMPARE(word(out, 0, 9), 1 << 10);
        QCOMPARE(out[size_t(48 * 3)], uchar(0x20)); // low byte first
        QCOMPARE(nonZeroBytes(out), 3);

        packBitPlanes(out.data(), in.data(), 14, true); // halves of 7 exchanged
        QCOMPARE(word(out, 3, 23), 1 << 12);
        QCOMPARE(word(out, 3, 0), 1 << 12);
        QCOMPARE(word(out, 0, 9), 1 << 3);
        QCOMPARE(out[size_t(48 * 3 + 1)], uchar(0x10));
        QCOMPARE(nonZeroBytes(out), 3);

        packBitPlanes(out.data(), in.data(), 16, false);
        QCOMPARE(word(out, 7, 23), 1 << 15);
        QCOMPARE(word(out, 7, 0), 1 << 15);
        QCOMPARE(nonZeroBytes(out), 3 + 24); // one high byte 0x80 per word of group 7
    }

    void line256IsDimmedThenPacked()
    {
        Bytes line(packedLineSize, 0);
        setLed(line, 80, 255, 0, 0);     // channel 5, group 0, beyond the dimmed LEDs
        setLed(line, 20, 255, 255, 255); // channel 1, group 4, dimmed by 0.72 to 184 = 0xB8
        processLine(line.data(), 0, 768, turn);
        for (int bit = 0; bit < 8; ++bit)
            QCOMPARE(word(line, 0, bit), 1 << 5);
        for (int bit : {23, 21, 20, 19, 15, 13, 12, 11, 7, 5, 4, 3})
            QCOMPARE(word(line, 4, bit), 1 << 1);
        QCOMPARE(nonZeroBytes(line), 8 + 12);
    }

    void fourteenChannelLinesSwapEvery300()
    {
        auto packOne = [this] {
            Bytes line = greyLine(224, 0);
            setLed(line, 80, 0, 0, 255); // channel 5, group 0: blue bits 16 ... 23
            processLine(line.data(), 0, 672, turn);
            return word(line, 0, 23);
        };
        for (int n = 1; n <= 900; ++n) {
            const int expected = (n - 1) / 300 % 2 == 0 ? 1 << 5 : 1 << 12;
            QCOMPARE(packOne(), expected);
            if (n == 299) {
                QCOMPARE(turn.swapped(), false);
                QCOMPARE(turn.linesInTurn(), 299);
            }
            if (n == 300) {
                QCOMPARE(turn.swapped(), true);
                QCOMPARE(turn.linesInTurn(), 0);
            }
        }
        // 256-LED lines are packed with 16 channels and leave the turn alone.
        Bytes line(packedLineSize, 0);
        processLine(line.data(), 0, 768, turn);
        QCOMPARE(turn.linesInTurn(), 0);
        QCOMPARE(turn.swapped(), true);
    }

    void line192ReadsMissingLedsAsBlack()
    {
        Bytes line(packedLineSize, 0xFF); // the tail past LED 191 must not be read
        std::fill(line.begin(), line.begin() + 576, 0);
        setLed(line, 4 + 16 * 11, 0, 0, 255); // channel 11, group 4
        processLine(line.data(), 0, 576, turn);
        QCOMPARE(word(line, 4, 23), 1 << 11);
        QCOMPARE(nonZeroBytes(line), 8);
    }

    // The table version against processLine, on lines of every length that has rules of its
    // own and some that have none, with bright and dark LEDs, on every line row and turn, with
    // each kernel.
    void tablesProcessLikeProcessLine_data()
    {
        QTest::addColumn<int>("leds");
        QTest::addColumn<VectorKernel>("kernel");
        for (int leds : {1088, 704, 512, 320, 256, 224, 192, 352, 99, 1, 0, 17}) {
            QTest::addRow("%d LEDs, scalar", leds) << leds << VectorKernel::Scalar;
            QTest::addRow("%d LEDs, portable", leds) << leds << VectorKernel::Portable;
            QTest::addRow("%d LEDs, avx2", leds) << leds << VectorKernel::Avx2;
            QTest::addRow("%d LEDs, avx2+gfni", leds) << leds << VectorKernel::Avx2Gfni;
        }
    }
    void tablesProcessLikeProcessLine()
    {
        QFETCH(int, leds);
        QFETCH(VectorKernel, kernel);
        if (!runsHere(kernel))
            QSKIP("this processor does not run the kernel");
        const int size = 3 * leds;
        const LineColours colours(size, kernel);
        quint32 state = quint32(leds) * 2654435761u;
        turn.advance(296); // 14-channel lines 4 ... 7 are packed swapped
        for (int lineIndex = 0; lineIndex < 8; ++lineIndex) {
            Bytes line(size_t(std::max(size, packedLineSize)), 0);
            for (int i = 0; i < size; ++i) {
                state = state * 1664525u + 1013904223u;
                // Half the bytes bright, so that the kept peaks are well exercised.
                line[size_t(i)] = uchar(state >> 31 ? 230 + (state >> 24) % 26 : state >> 24);
            }
            Bytes expected = line;
            const bool swapped = turn.swapped();
            processLine(expected.data(), lineIndex, size, turn);
            colours.process(line.data(), lineIndex, swapped);
            QVERIFY2(line == expected, qPrintable(QString("line %1").arg(lineIndex)));
        }
    }

    void fastPackingPacksLikePackBitPlanes_data()
    {
        QTest::addColumn<VectorKernel>("kernel");
        QTest::newRow("scalar") << VectorKernel::Scalar;
        QTest::newRow("portable") << VectorKernel::Portable;
        QTest::newRow("avx2") << VectorKernel::Avx2;
        QTest::newRow("avx2+gfni") << VectorKernel::Avx2Gfni;
    }
    void fastPackingPacksLikePackBitPlanes()
    {
        QFETCH(VectorKernel, kernel);
        if (!runsHere(kernel))
            QSKIP("this processor does not run the kernel");
        uchar in[packedLineSize];
        for (int i = 0; i < packedLineSize; ++i)
            in[i] = uchar((i * 97 + 13) ^ (i >> 3));
        // A line shorter than the block (576 bytes: 192 LEDs), also ending inside a channel.
        for (int inBytes : {packedLineSize, 576, 500}) {
            uchar padded[packedLineSize] = {};
            std::memcpy(padded, in, size_t(inBytes));
            for (int channels : {16, 14}) {
                for (bool swapped : {false, true}) {
                    uchar expected[packedLineSize];
                    uchar actual[packedLineSize];
                    packBitPlanes(expected, padded, channels, swapped);
                    packBitPlanesFast(actual, in, channels, swapped, kernel, inBytes);
                    QVERIFY(std::memcmp(expected, actual, packedLineSize) == 0);
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestLedProcessing)
#include "tst_ledprocessing.moc"
