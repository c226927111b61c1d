#include "core.h"
#include "framesource.h"
#include "messagecapture.h"
#include "orientation.h"
#include "panel.h"
#include "rgbscaler.h"
#include "testfiles.h"
#include "testmedia.h"

#include <QTemporaryDir>
#include <QtTest>

#include <iostream>
#include <sstream>

namespace {

// What the frame source handed to its callback.
struct Delivery
{
    QList<int> indices;
    QList<QImage> frames;
    int stopAtCall = -1; // raise the stop request during this call (0-based)

    FrameCallback recorder()
    {
        return [this](QImage* frame, Core* core, int frameIndex) {
            QCOMPARE(frame->format(), QImage::Format_RGB888);
            if (indices.size() == stopAtCall)
                core->stopRequested.raise();
            indices << frameIndex;
            frames << frame->copy();
        };
    }
};

// Standard output of the frame source (the "videoFPS:" line) while it lives.
class StdoutCapture
{
public:
    StdoutCapture() : previous(std::cout.rdbuf(buffer.rdbuf())) {}
    ~StdoutCapture() { std::cout.rdbuf(previous); }
    std::string text() const { return buffer.str(); }

private:
    std::ostringstream buffer;
    std::streambuf* previous;
};

QList<int> range(int first, int last)
{
    QList<int> values;
    for (int i = first; i <= last; ++i)
        values << i;
    return values;
}

bool rowsEqual(const QImage& image, const QByteArray& raw, int frameNumber)
{
    const int rowBytes = image.width() * 3;
    const qsizetype frameBytes = qsizetype(rowBytes) * image.height();
    if (raw.size() < frameBytes * (frameNumber + 1))
        return false;
    const char* frame = raw.constData() + frameBytes * frameNumber;
    for (int y = 0; y < image.height(); ++y) {
        if (memcmp(image.constScanLine(y), frame + qsizetype(y) * rowBytes, size_t(rowBytes)) != 0)
            return false;
    }
    return true;
}

} // namespace

class TestFrameSource : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    Panel panel18;
    Delivery delivery;

    // One run over the file at `path` for `panel`, its pictures handed to `callback` (by
    // default recorded in `delivery`).
    VideoInfo decode(const QString& path, Panel* panel, int limit = 999999,
                     const FrameCallback& callback = {})
    {
        Core core;
        core.setFileName(path);
        core.panel = panel;
        return Core::decodeVideo(callback ? callback : delivery.recorder(), &core, limit, false);
    }

    // Every picture of a clip through a run with the given decoder threads, at the clip's
    // own rate.
    QList<QImage> decodeWithThreads(const QString& path, int threads)
    {
        Core core;
        core.setFileName(path);
        Panel sameRate;
        core.panel = &sameRate;
        sameRate.hz = Core::decodeVideo(nullptr, &core, 1, false).fps;
        Delivery pictures;
        FrameSource source(&core, core.stopRequested.beginRun(), 999999, false);
        source.setDecoderThreads(threads);
        source.run(pictures.recorder());
        return pictures.frames;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QString error;
        QVERIFY2(TestMedia::ffmpeg({"-version"}, &error), qPrintable(error));
    }

    void init()
    {
        delivery = Delivery();
        panel18.hz = 18.0;
    }

    void deliversAtThePanelRate_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QList<int>>("indices");
        QTest::newRow("12 fps") << "12" << 8 << QList<int>{0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7};
        QTest::newRow("18 fps") << "18" << 8 << range(0, 7);
        QTest::newRow("24 fps") << "24" << 10 << QList<int>{0, 1, 2, 3, 5, 6, 7, 9};
        QTest::newRow("25 fps") << "25" << 10 << QList<int>{0, 1, 2, 4, 5, 7, 8};
        QTest::newRow("30 fps") << "30" << 10 << QList<int>{0, 1, 3, 5, 7, 9};
        QTest::newRow("29.97 fps") << "30000/1001" << 10 << QList<int>{0, 1, 3, 5, 7, 9};
        // Fast and slow sources are delivered in proportion to the two rates.
        QTest::newRow("60 fps") << "60" << 14 << QList<int>{0, 3, 6, 10, 13};
        QTest::newRow("6 fps") << "6" << 3 << QList<int>{0, 0, 0, 1, 1, 1, 2, 2, 2};
    }

    void deliversAtThePanelRate()
    {
        QFETCH(QString, rate);
        QFETCH(int, pictures);
        QFETCH(QList<int>, indices);
        const QString path = TestMedia::reusedClip(
            dir.path(), QString("rate-%1.mkv").arg(QString(rate).replace('/', '_')), rate,
            pictures);
        QVERIFY(!path.isEmpty());
        const QByteArray reference = TestMedia::rgbFrames(path);
        QVERIFY(!reference.isEmpty());

        MessageCapture messages;
        const VideoInfo info = decode(path, &panel18);
        QCOMPARE(delivery.indices, indices);
        // Every delivery carries the decoded picture of its index, pixel for pixel.
        for (int call = 0; call < delivery.frames.size(); ++call) {
            const QImage& frame = delivery.frames.at(call);
            QCOMPARE(frame.size(), QSize(33, 24));
            QVERIFY2(rowsEqual(frame, reference, delivery.indices.at(call)),
                     qPrintable(QString("call %1").arg(call)));
        }
        QVERIFY(rowsEqual(info.firstFrame, reference, 0));
        QCOMPARE(messages.count("begin!"), 1);
        QCOMPARE(messages.count("break"), 1);
        QCOMPARE(messages.count("ok"), 1);
        QCOMPARE(messages.lines().last(), QString("ok"));
        // One "frame" line per delivered picture (a repeat counts once), numbered from 1.
        const int distinct = QSet<int>(indices.begin(), indices.end()).size();
        QCOMPARE(messages.lines().filter(QRegularExpression("^frame \\d+$")).size(), distinct);
        QCOMPARE(messages.count("frame 1"), 1);
        // One "xxx" per picture that is dropped or repeated.
        int changed = pictures - distinct;
        for (const int index : QSet<int>(indices.begin(), indices.end()))
            changed += indices.count(index) > 1 ? 1 : 0;
        QCOMPARE(messages.count("xxx"), changed);
    }

    void reportsTheStreamRate_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<double>("fps");
        QTest::addColumn<QString>("printed");
        QTest::newRow("25") << "25" << 25.0 << "videoFPS:25";
        QTest::newRow("29.97") << "30000/1001" << 30000.0 / 1001 << "videoFPS:29.97";
    }

    void reportsTheStreamRate()
    {
        QFETCH(QString, rate);
        QFETCH(double, fps);
        QFETCH(QString, printed);
        const QString path = TestMedia::reusedClip(
            dir.path(), QString("fps-%1.mkv").arg(QString(rate).replace('/', '_')), rate, 4);
        QVERIFY(!path.isEmpty());
        MessageCapture messages;
        StdoutCapture output;
        const VideoInfo info = decode(path, &panel18);
        QCOMPARE(info.fps, fps);
        QCOMPARE(messages.count(printed), 1);
        // Standard output belongs to the programs: a converter prints its answers there.
        QCOMPARE(QString::fromStdString(output.text()), QString());
        // 4 pictures: the container knows the length.
        QVERIFY(info.durationMs > 0);
        QVERIFY(info.durationMs <= 4 * 1000 / int(fps) + 100);
    }

    void oddWidthYuvClipMatchesTheToolsConversion()
    {
        // A 4:2:0 clip 333 pixels wide: the right-hand columns must be converted too.
        const QString path = dir.filePath("odd-width.mkv");
        QString error;
        QVERIFY2(TestMedia::ffmpeg({"-f", "lavfi", "-i", "testsrc=size=333x60:rate=18", "-frames:v",
                                    "3", "-c:v", "ffv1", "-pix_fmt", "yuv420p", path},
                                   &error),
                 qPrintable(error));
        const QByteArray reference = TestMedia::rgbFrames(path, {"-sws_flags", "bilinear"});
        QCOMPARE(reference.size(), 333 * 60 * 3 * 3);
        MessageCapture messages;
        decode(path, &panel18);
        QCOMPARE(delivery.indices, QList<int>({0, 1, 2}));
        for (int i = 0; i < 3; ++i)
            QVERIFY2(rowsEqual(delivery.frames.at(i), reference, i),
                     qPrintable(QString::number(i)));
    }

    void stillImageIsOnePicture()
    {
        const QString path = dir.filePath("still.png");
        QImage image(17, 9, QImage::Format_RGB888);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x * 15, y * 28, (x + y) * 7));
        QVERIFY(image.save(path));

        MessageCapture messages;
        const VideoInfo info = decode(path, &panel18);
        QCOMPARE(delivery.indices, QList<int>{0});
        QCOMPARE(delivery.frames.first(), image);
        QCOMPARE(info.firstFrame, image);
        QCOMPARE(messages.count("break"), 1);
        QCOMPARE(messages.count("ok"), 1);
    }

    void videoAfterAnAudioStream()
    {
        const QString path = dir.filePath("audio-first.mkv");
        QString error;
        QVERIFY2(TestMedia::ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-f",
                                    "lavfi", "-i", "testsrc=size=32x24:rate=18:duration=0.5",
                                    "-map", "0:a", "-map", "1:v", "-c:a", "pcm_s16le", "-c:v",
                                    "png", "-pix_fmt", "rgb24", path},
                                   &error),
                 qPrintable(error));
        MessageCapture messages;
        const VideoInfo info = decode(path, &panel18);
        QCOMPARE(info.fps, 18.0);
        QCOMPARE(delivery.indices, range(0, 8));
    }

    // The pictures come from the first video stream that gives any: a stream without
    // pictures before it, of unknown format (never seen by the probe) or of a known one
    // (read to its end in vain), is passed over rather than ending the run.
    void picturesComeFromTheFirstStreamThatGivesThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("streams"); // ffmpeg's arguments after the empty video
        QTest::addColumn<bool>("pictures");       // whether stream 1 gives pictures
        const QStringList secondVideo{
            "-f",     "lavfi", "-i",           "testsrc2=size=32x24:rate=18:d=0.5",
            "-map",   "0:v",   "-map",         "1:v",
            "-c:v:1", "png",   "-pix_fmt:v:1", "rgb24"};
        QTest::newRow("empty stream of unknown format first")
            << "empty-unknown.mkv" << secondVideo + QStringList{"-c:v:0", "png"} << true;
        QTest::newRow("empty stream of known format first")
            << "empty-known.mkv" << secondVideo + QStringList{"-c:v:0", "rawvideo"} << true;
        QTest::newRow("no stream gives a picture")
            << "no-pictures.mkv"
            << QStringList{"-f",  "lavfi", "-i", "sine=duration=0.5", "-map", "0:v", "-map",
                           "1:a", "-c:v",  "png"}
            << false;
    }

    void picturesComeFromTheFirstStreamThatGivesThem()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, streams);
        QFETCH(bool, pictures);
        const QString path = dir.filePath(name);
        QString error;
        QVERIFY2(
            TestMedia::ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc2=size=32x24:rate=18:d=0"} +
                                  streams + QStringList{path},
                              &error),
            qPrintable(error));
        MessageCapture messages;
        const VideoInfo info = decode(path, &panel18);
        QCOMPARE(info.firstFrame.isNull(), !pictures);
        QCOMPARE(delivery.indices, pictures ? range(0, 8) : QList<int>());
        const QByteArray reference = TestMedia::rgbFrames(path, {"-map", "0:1"});
        for (int i = 0; i < delivery.frames.size(); ++i)
            QVERIFY2(rowsEqual(delivery.frames.at(i), reference, i),
                     qPrintable(QString::number(i)));
    }

    // A stream whose pictures change their size midway (clips joined without recoding): every
    // frame of the run has the size of the first picture, the later ones scaled to it.
    void picturesOfAnotherSizeAreScaledToTheFirst()
    {
        QString error;
        QString list;
        for (const QSize& size : {QSize(48, 32), QSize(32, 24)}) {
            const QString part = TestMedia::pngClip(
                dir.path(), QString("part-%1.mkv").arg(size.width()), "18", 4, size);
            QVERIFY(!part.isEmpty());
            list += QString("file '%1'\n").arg(part);
        }
        QVERIFY(writeFile(dir.filePath("parts.txt"), list.toUtf8()));
        const QString path = dir.filePath("joined.mkv");
        QVERIFY2(TestMedia::ffmpeg({"-f", "concat", "-safe", "0", "-i", dir.filePath("parts.txt"),
                                    "-c", "copy", path},
                                   &error),
                 qPrintable(error));
        const QByteArray reference =
            TestMedia::rgbFrames(path, {"-vf", "scale=48:32:flags=bilinear"});
        MessageCapture messages;
        decode(path, &panel18);
        QCOMPARE(delivery.indices, range(0, 7));
        for (int i = 0; i < delivery.frames.size(); ++i) {
            QCOMPARE(delivery.frames.at(i).size(), QSize(48, 32));
            QVERIFY2(rowsEqual(delivery.frames.at(i), reference, i),
                     qPrintable(QString::number(i)));
        }
    }

    // FFmpeg's scaler aborts the program when set up for a picture it cannot take; what a
    // file declares must never get that far.
    void scalerTakesOnlyPicturesItCanConvert_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("frame"); // the size it is converted to
        QTest::addColumn<bool>("taken");
        const int yuv = AV_PIX_FMT_YUV420P;
        const QSize small(32, 24);
        QTest::newRow("YUV 4:2:0") << yuv << small << small << true;
        QTest::newRow("scaled") << int(AV_PIX_FMT_RGB24) << QSize(48, 32) << small << true;
        QTest::newRow("unknown format") << int(AV_PIX_FMT_NONE) << small << small << false;
        QTest::newRow("hardware frame") << int(AV_PIX_FMT_VAAPI) << small << small << false;
        QTest::newRow("no width") << yuv << QSize(0, 24) << small << false;
        QTest::newRow("negative height") << yuv << QSize(32, -24) << small << false;
        QTest::newRow("absurd size") << yuv << QSize(100000, 100000) << small << false;
        QTest::newRow("into no size") << yuv << small << QSize(0, 0) << false;
        QTest::newRow("into an absurd size") << yuv << small << QSize(100000, 100000) << false;
    }

    void scalerTakesOnlyPicturesItCanConvert()
    {
        QFETCH(int, format);
        QFETCH(QSize, picture);
        QFETCH(QSize, frame);
        QFETCH(bool, taken);
        const ffmpeg::FramePtr decoded(av_frame_alloc());
        decoded->format = format;
        decoded->width = picture.width();
        decoded->height = picture.height();
        RgbScaler scaler;
        QCOMPARE(scaler.prepare(*decoded, frame.width(), frame.height()), taken);
    }

    void limitEndsTheRun()
    {
        const QString path = TestMedia::reusedClip(dir.path(), "rate-18.mkv", "18", 8);
        MessageCapture messages;
        decode(path, &panel18, 5);
        QCOMPARE(delivery.indices, range(0, 4));
        QCOMPARE(messages.count("break"), 0);
        QCOMPARE(messages.count("ok"), 1);
    }

    void droppedPicturesCountTowardsTheLimit()
    {
        // 24 fps: picture 4 is dropped; picture 5 would be the sixth, beyond a limit of 5.
        const QString path = TestMedia::reusedClip(dir.path(), "rate-24.mkv", "24", 10);
        MessageCapture messages;
        decode(path, &panel18, 5);
        QCOMPARE(delivery.indices, range(0, 3));
    }

    void firstFrameReadOfAFastClipDecodesOnlyAHandful()
    {
        const QString path = TestMedia::reusedClip(dir.path(), "rate-60-long.mkv", "60", 120);
        const QByteArray reference = TestMedia::rgbFrames(path);
        MessageCapture messages;
        Core core;
        core.setFileName(path);
        const VideoInfo info = core.readFirstFrame();
        QVERIFY(rowsEqual(info.firstFrame, reference, 0));
        // The run ends at the next picture it would deliver, long before the end of the file.
        QCOMPARE(messages.count("break"), 0);
        QVERIFY(messages.count("xxx") <= 4);
    }

    void firstFrameReadStopsAtTheSecondPicture()
    {
        const QString path = TestMedia::reusedClip(dir.path(), "rate-18.mkv", "18", 8);
        MessageCapture messages;
        Core core;
        core.setFileName(path);
        const VideoInfo info = core.readFirstFrame();
        QCOMPARE(info.fps, 18.0);
        QCOMPARE(info.firstFrame.size(), QSize(33, 24));
        QCOMPARE(messages.count("frame 1"), 1);
        QCOMPARE(messages.count("frame 2"), 0);
        QCOMPARE(messages.count("break"), 0);
    }

    void stopRequestEndsTheRunAfterTheCurrentPicture()
    {
        const QString path = TestMedia::reusedClip(dir.path(), "rate-18.mkv", "18", 8);
        MessageCapture messages;
        delivery.stopAtCall = 2;
        Core core;
        core.setFileName(path);
        core.panel = &panel18;
        Core::decodeVideo(delivery.recorder(), &core, 999999, false);
        QCOMPARE(delivery.indices, range(0, 2));
        QVERIFY(core.lastRunStopped);
        QCOMPARE(messages.count("break"), 0);
        QCOMPARE(messages.count("ok"), 1);
        // The stop belonged to that run: the next one delivers everything.
        delivery = Delivery();
        Core::decodeVideo(delivery.recorder(), &core, 999999, false);
        QCOMPARE(delivery.indices, range(0, 7));
    }

    void stopRaisedWhileIdleIsForgotten()
    {
        const QString path = TestMedia::reusedClip(dir.path(), "rate-18.mkv", "18", 8);
        MessageCapture messages;
        Core core;
        core.setFileName(path);
        core.panel = &panel18;
        core.stopRequested.raise();
        Core::decodeVideo(delivery.recorder(), &core, 999999, false);
        QCOMPARE(delivery.indices, range(0, 7));
        QVERIFY(!core.lastRunStopped);
    }

    void unreadableFilesGiveTheDefaults_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("zero bytes") << "empty";
        QTest::newRow("text named .mp4") << "text";
        QTest::newRow("no file name") << "none";
    }

    void unreadableFilesGiveTheDefaults()
    {
        QFETCH(QString, kind);
        QString path;
        if (kind == "missing") {
            path = dir.filePath("does-not-exist.mp4");
        } else if (kind != "none") {
            path = dir.filePath(kind + ".mp4");
            const QByteArray text = "This is not a video, just a few words of plain text.\n";
            QVERIFY(writeFile(path, kind == "text" ? text : QByteArray()));
        }
        MessageCapture messages;
        StdoutCapture output;
        const VideoInfo info = decode(path, &panel18);
        QCOMPARE(info.fps, 0.0);
        QVERIFY(info.firstFrame.isNull());
        QCOMPARE(info.durationMs, qint64(0));
        QVERIFY(delivery.indices.isEmpty());
        QCOMPARE(messages.count("begin!"), 0);
    }

    // The decoder holds pictures back for B-frames; the drain at the end of the input must
    // hand out every one, the last one exactly as the ffmpeg tool decodes it.
    void clipsWithBFramesLoseNoPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("codec");
        QTest::newRow("H.264") << "bframes-h264.mp4"
                               << QStringList{"-c:v", "libx264", "-bf", "3", "-g", "12"};
        QTest::newRow("MPEG-4") << "bframes-mpeg4.avi"
                                << QStringList{"-c:v", "mpeg4", "-bf", "2", "-g", "12"};
    }

    void clipsWithBFramesLoseNoPicture()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, codec);
        const QSize size(64, 48);
        const QString path = TestMedia::reusedClip(dir.path(), name, "18", 36, size,
                                                   codec + QStringList{"-pix_fmt", "yuv420p"});
        QVERIFY(!path.isEmpty());
        const QByteArray reference = TestMedia::rgbFrames(path, {"-sws_flags", "bilinear"});
        const int pictures = int(reference.size() / (size.width() * size.height() * 3));
        QCOMPARE(pictures, 36);

        MessageCapture messages;
        decode(path, &panel18);
        QCOMPARE(delivery.indices, range(0, pictures - 1));
        QVERIFY(rowsEqual(delivery.frames.last(), reference, pictures - 1));
    }

    void decoderThreadsGiveTheSamePictures()
    {
        const QString path = TestMedia::reusedClip(
            dir.path(), "threads-h264.mp4", "18", 48, QSize(320, 240),
            {"-c:v", "libx264", "-bf", "3", "-slices", "4", "-pix_fmt", "yuv420p"});
        QVERIFY(!path.isEmpty());
        MessageCapture messages;
        const QList<QImage> single = decodeWithThreads(path, 1);
        const QList<QImage> several = decodeWithThreads(path, 4);
        QCOMPARE(single.size(), 48);
        QCOMPARE(several.size(), single.size());
        for (int i = 0; i < single.size(); ++i)
            QVERIFY2(several.at(i) == single.at(i), qPrintable(QString("picture %1").arg(i)));
    }

    // A display matrix turns the pictures as the ffmpeg tool shows them, pixel for pixel;
    // without autorotate they stay as coded. The size and the first frame follow.
    void picturesAreTurnedAsDisplayed_data()
    {
        QTest::addColumn<int>("degrees");
        QTest::addColumn<bool>("autorotate");
        for (const int degrees : {90, 180, 270})
            QTest::addRow("%d degrees", degrees) << degrees << true;
        QTest::newRow("90 degrees kept as coded") << 90 << false;
    }

    void picturesAreTurnedAsDisplayed()
    {
        QFETCH(int, degrees);
        QFETCH(bool, autorotate);
        const QString plain = TestMedia::reusedClip(dir.path(), "turn.mkv", "18", 4, QSize(33, 20));
        const QString turned = TestMedia::rotatedClip(
            plain, dir.filePath(QString("turned-%1.mov").arg(degrees)), degrees);
        QVERIFY(!turned.isEmpty());
        const QByteArray reference = TestMedia::rgbFrames(
            turned, {}, autorotate ? QStringList() : QStringList{"-noautorotate"});
        const QSize size = autorotate && degrees != 180 ? QSize(20, 33) : QSize(33, 20);

        MessageCapture messages;
        Core core;
        core.setFileName(turned);
        core.panel = &panel18;
        core.sourceOptions.autorotate = autorotate;
        const VideoInfo info = core.readFirstFrame();
        QCOMPARE(info.firstFrame.size(), size);
        QVERIFY(rowsEqual(info.firstFrame, reference, 0));
        Core::decodeVideo(delivery.recorder(), &core, 999999, false);
        QCOMPARE(delivery.frames.size(), 4);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(rowsEqual(delivery.frames.at(i), reference, i),
                     qPrintable(QString::number(i)));
    }

    // Mirrored matrices, which the ffmpeg tool cannot write, move the pixels as the mirror
    // says; a turn by another angle leaves the picture as coded.
    void mirroredMatricesMovePixels_data()
    {
        QTest::addColumn<QList<int>>("matrix");
        QTest::addColumn<QString>("expected");
        constexpr int one = 65536;
        QTest::newRow("mirrored left to right") << QList<int>{-one, 0, 0, 0, one, 0} << "h";
        QTest::newRow("mirrored top to bottom") << QList<int>{one, 0, 0, 0, -one, 0} << "v";
        QTest::newRow("transposed") << QList<int>{0, one, 0, one, 0, 0} << "t";
        QTest::newRow("45 degrees") << QList<int>{46341, -46341, 0, 46341, 46341, 0} << "";
    }

    void mirroredMatricesMovePixels()
    {
        QFETCH(QList<int>, matrix);
        QFETCH(QString, expected);
        int32_t entries[9] = {0, 0, 0, 0, 0, 0, 0, 0, 1 << 30};
        for (int i = 0; i < matrix.size(); ++i)
            entries[i] = matrix.at(i);
        QImage coded(5, 3, QImage::Format_RGB888);
        for (int y = 0; y < coded.height(); ++y)
            for (int x = 0; x < coded.width(); ++x)
                coded.setPixel(x, y, qRgb(x * 50, y * 80, 7));
        QImage want = coded;
        if (expected == "h" || expected == "v")
            want = coded.mirrored(expected == "h", expected == "v");
        else if (expected == "t")
            want = coded.transformed(QTransform().rotate(90)).mirrored(true, false);

        const Orientation turn = Orientation::fromDisplayMatrix(entries);
        QCOMPARE(turn.displayedSize(coded.size()), want.size());
        QImage displayed(want.size(), QImage::Format_RGB888);
        turn.apply(coded.constBits(), coded.size(), coded.bytesPerLine(), displayed.bits(),
                   displayed.bytesPerLine());
        QCOMPARE(displayed, want);
    }

    // A range starts at the key frame before it and delivers exactly the pictures whose
    // times lie in it, as a full decode has them, counted from the first of them: onto, just
    // before and just after key frames (every 50 pictures) of a clip with B-frames.
    void rangeDeliversItsPicturesExactly_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("end"); // -1: to the end of the clip
        QTest::newRow("from the start, up to a key frame") << 0 << 50;
        QTest::newRow("onto a key frame") << 50 << 53;
        QTest::newRow("just before a key frame") << 49 << 52;
        QTest::newRow("just after a key frame") << 51 << 54;
        QTest::newRow("just before the last key frame, to the end") << 99 << -1;
        QTest::newRow("the last picture") << 119 << -1;
    }

    void rangeDeliversItsPicturesExactly()
    {
        QFETCH(int, first);
        QFETCH(int, end);
        const QString path =
            TestMedia::reusedClip(dir.path(), "keyframes-h264.mp4", "25", 120, QSize(64, 48),
                                  {"-c:v", "libx264", "-bf", "3", "-g", "50", "-keyint_min", "50",
                                   "-sc_threshold", "0", "-pix_fmt", "yuv420p"});
        QVERIFY(!path.isEmpty());
        Panel sameRate;
        sameRate.hz = 25;
        MessageCapture messages;
        decode(path, &sameRate);
        const QList<QImage> whole = delivery.frames;
        QCOMPARE(whole.size(), 120);

        delivery = Delivery();
        Core core;
        core.setFileName(path);
        core.panel = &sameRate;
        // Times from the clip's first picture, given to the microsecond as a user would.
        core.sourceOptions.range.startUs = qint64(first) * 40000;
        if (end >= 0)
            core.sourceOptions.range.endUs = qint64(end) * 40000;
        const int last = end >= 0 ? end : 120;
        QVERIFY(core.readFrameAt(core.sourceOptions.range).firstFrame == whole.at(first));
        Core::decodeVideo(delivery.recorder(), &core, 999999, false);
        QCOMPARE(delivery.indices, range(0, last - first - 1));
        for (int i = 0; i < delivery.frames.size(); ++i)
            QVERIFY2(delivery.frames.at(i) == whole.at(first + i),
                     qPrintable(QString("picture %1").arg(first + i)));
    }

    // The rate conversion counts from the range's first picture, with the worker's timing.
    void rangeAndTimingShapeTheDeliveries_data()
    {
        QTest::addColumn<int>("timing");
        QTest::addColumn<qint64>("startUs");
        QTest::addColumn<QList<int>>("indices");
        // 25 fps at 18 Hz, pictures 10 to 19: stepped drops every third from the range's
        // start, exact delivers ceil((i + 1) x 18 / 25) - ceil(i x 18 / 25) times.
        QTest::newRow("stepped") << int(Timing::Stepped) << qint64(400000)
                                 << QList<int>{0, 1, 2, 4, 5, 7, 8};
        QTest::newRow("exact") << int(Timing::Exact) << qint64(400000)
                               << QList<int>{0, 1, 2, 4, 5, 6, 8, 9};
        QTest::newRow("exact, from the start")
            << int(Timing::Exact) << qint64(0) << QList<int>{0, 1, 2, 4, 5, 6, 8, 9};
    }

    void rangeAndTimingShapeTheDeliveries()
    {
        QFETCH(int, timing);
        QFETCH(qint64, startUs);
        QFETCH(QList<int>, indices);
        const QString path = TestMedia::reusedClip(dir.path(), "rate-25-long.mkv", "25", 20);
        QVERIFY(!path.isEmpty());
        MessageCapture messages;
        Core core;
        core.setFileName(path);
        core.panel = &panel18;
        core.sourceOptions.timing = Timing(timing);
        core.sourceOptions.range = {startUs, startUs + 400000};
        Core::decodeVideo(delivery.recorder(), &core, 999999, false);
        QCOMPARE(delivery.indices, indices);
    }

    // A consumer may keep the delivered image itself: the next picture goes to another buffer.
    void framesKeptWithoutACopyStayIntact()
    {
        const QString path = TestMedia::reusedClip(dir.path(), "kept.mp4", "18", 8);
        QVERIFY(!path.isEmpty());
        Panel panel;
        panel.hz = 18;
        decode(path, &panel);
        QList<QImage> kept;
        decode(path, &panel, 999999, [&kept](QImage* frame, Core*, int) { kept << *frame; });
        QCOMPARE(kept.size(), 8);
        QCOMPARE(kept, delivery.frames);
        QVERIFY(kept.at(0) != kept.at(7));
    }

    void truncatedClipDeliversWhatIsThere()
    {
        const QString whole = TestMedia::reusedClip(dir.path(), "rate-18-long.mkv", "18", 30);
        const QByteArray bytes = contentsOf(whole);
        QVERIFY(!bytes.isEmpty());
        const QString path = dir.filePath("truncated.mkv");
        QVERIFY(writeFile(path, bytes.left(bytes.size() / 2)));

        MessageCapture messages;
        decode(path, &panel18);
        QVERIFY(!delivery.indices.isEmpty());
        QVERIFY(delivery.indices.size() < 30);
        QCOMPARE(delivery.indices, range(0, delivery.indices.size() - 1));
        QCOMPARE(messages.count("ok"), 1);
    }
};

QTEST_GUILESS_MAIN(TestFrameSource)
#include "tst_framesource.moc"
