#include "bitplanes.h"
#include "fandataset.h"
#include "fanframes.h"
#include "fanpanel.h"
#include "fanviewpicture.h"
#include "noiseimage.h"
#include "outputrun.h"
#include "packets.h"
#include "panelvideoframe.h"
#include "setplayer.h"
#include "testfiles.h"
#include "videowriter.h"

#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int frameCount = 3;

// Rear fans of every blade type, the 14-channel ones among them twice, and two front fans.
void addEveryBlade(FanPanel& fans)
{
    const int rear[] = {1088, 704, 512, 320, 256, 224, 192, 224, 99};
    for (int i = 0; i < int(std::size(rear)); ++i)
        fans.addFan(rear[i], 60 + 90 * (i % 5), 60 + 120 * (i / 5), 0, 110);
    fans.addFan(192, 200, 120, 1, 150);
    fans.addFan(320, 330, 160, 1, 120);
}

// The three planes of a yuv420p frame in one buffer.
struct YuvBuffers
{
    explicit YuvBuffers(const QSize& size)
        : bytes(size.width() * size.height() * 3 / 2, char(0x55))
    {
        planes.size = size;
        planes.luma = reinterpret_cast<uint8_t*>(bytes.data());
        planes.blue = planes.luma + size.width() * size.height();
        planes.red = planes.blue + size.width() * size.height() / 4;
        planes.lumaStride = size.width();
        planes.chromaStride = size.width() / 2;
    }
    QByteArray bytes;
    YuvPlanes planes;
};

QImage frame(int index)
{
    return noiseImage(64, 40, quint32(7 + index));
}

} // namespace

class TestSetPlayer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    FanPanel fans{460, 260, 6};
    QString name;             // the set written for `fans`
    QVector<QImage> fanViews; // what the window's fan view showed for each frame
    const QSize area{700, 500};

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QLoggingCategory::setFilterRules("default.debug=false");
        addEveryBlade(fans);
        fans.panel.colorOffset0 = "0:(0,0,0,255)|1:(0,0,0,0)";
        fans.panel.colorOffset1 = "0:(0,0,0,0)|1:(255,0,0,255)";
        fans.panel.selection = QRectF(4, 2, 50, 30);

        // The same frames saved, and converted for the window's fan view.
        name = dir.filePath("show");
        BitPlaneTurn turn;
        OutputRun run(turn);
        QVERIFY(run.open(name, &fans.panel));
        FanFrameConverter live;
        FanViewPicture painter;
        for (int f = 0; f < frameCount; ++f) {
            QVERIFY(run.convertFrame(frame(f)));
            fanViews << painter.paint(fans.panel, live.convert(frame(f), fans.panel), area);
        }
        QVERIFY(run.finish());
        run.close();
    }

    // Frame for frame, the set plays exactly as the fan view showed it when it was saved,
    // the swapped halves of the 14-channel blades included; a file of the set opens it too.
    void playsWhatTheFanViewShowed()
    {
        SetPlayer player;
        QVERIFY2(player.open(FanDataSet::fileName(name, 7, fans.fans.size())),
                 qPrintable(player.errorString()));
        QCOMPARE(player.set().name(), name);
        QCOMPARE(player.frameCount(), qint64(frameCount));
        QVERIFY2(player.panelProblem(fans.panel).isEmpty(),
                 qPrintable(player.panelProblem(fans.panel)));
        for (int f = 0; f < frameCount; ++f) {
            const QImage played = player.picture(f, fans.panel, area);
            QVERIFY(!played.isNull());
            QVERIFY2(played == fanViews.at(f), qPrintable(QString("frame %1").arg(f)));
        }
        QVERIFY(player.picture(frameCount, fans.panel, area).isNull());
    }

    // The video's frames, drawn from a table of each LED's brightness and colour, are the
    // fan view's picture centred and converted: byte for byte, for sizes with and without a
    // black margin, and the same panel drawn again after another size.
    void videoFramesEqualTheirPictures()
    {
        SetPlayer player;
        QVERIFY(player.open(name));
        PanelVideoFrame fast;
        PanelVideoFrame reference;
        for (const int longerSide : {330, 96, 330}) {
            YuvBuffers expected(VideoWriter::videoSize(QSizeF(460, 260), longerSide));
            YuvBuffers drawn(expected.planes.size);
            for (int f = 0; f < frameCount; ++f) {
                const QVector<FanFrameLines> lines = linesOf(player.frameRecords(f));
                reference.paintReference(fans.panel, lines, expected.planes);
                fast.paint(fans.panel, lines, drawn.planes);
                QVERIFY2(drawn.bytes == expected.bytes,
                         qPrintable(QString("frame %1 at %2").arg(f).arg(longerSide)));
            }
        }
    }

    // What cannot play is refused with the file and what is wrong with it.
    void refusesWhatItCannotPlay_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("words");
        QTest::newRow("cut short by a killed run")
            << "killed"
            << "the files hold 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 2 frames; --repair cuts them to 2";
        QTest::newRow("a damaged packet") << "packet"
                                          << "set__3.bin: byte 969: the line index";
        QTest::newRow("a file that is no fan data")
            << "text"
            << "set__4.bin: byte 0: expected the packet marker";
        QTest::newRow("a file missing") << "missing"
                                        << "set__5.bin is missing";
        QTest::newRow("another panel") << "panel"
                                       << "the set has 11 files, the panel \"pair\" 2 fans";
        QTest::newRow("another blade") << "blade"
                                       << "set__8.bin holds the data of 99 LEDs, fan 8 of the "
                                          "panel \"\" has 98 LEDs";
    }

    void refusesWhatItCannotPlay()
    {
        QFETCH(QString, damage);
        QFETCH(QString, words);
        QTemporaryDir folder;
        const QString set = folder.filePath("set");
        const int count = fans.fans.size();
        for (int i = 0; i < count; ++i) {
            QByteArray bytes = contentsOf(FanDataSet::fileName(name, i, count));
            if (damage == "killed" && i >= 9)
                bytes.chop(1000);
            else if (damage == "packet" && i == 3)
                bytes[968 + 1] = 'x';
            else if (damage == "text" && i == 4)
                bytes = "not fan data";
            else if (damage == "missing" && i == 5)
                continue;
            QVERIFY(writeFile(FanDataSet::fileName(set, i, count), bytes));
        }
        SetPlayer player;
        const bool opened = player.open(set);
        QString problem = player.errorString();
        if (damage == "panel" || damage == "blade") {
            QVERIFY(opened);
            FanPanel other(100, 100);
            if (damage == "panel") {
                other.panel.model = "pair";
                other.addFan(64, 20, 20);
                other.addFan(64, 60, 20);
            } else {
                addEveryBlade(other);
                other.fans[8]->ledpcs = 98;
            }
            problem = player.panelProblem(other.panel);
            QVERIFY(player.picture(0, other.panel, area).isNull());
        } else {
            QVERIFY(!opened);
            QCOMPARE(player.frameCount(), qint64(0));
        }
        QVERIFY2(problem.contains(words), qPrintable(problem));
    }
};

QTEST_MAIN(TestSetPlayer)
#include "tst_setplayer.moc"
