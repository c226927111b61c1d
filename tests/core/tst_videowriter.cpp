#include "core.h"
#include "discpicture.h"
#include "filesizelimit.h"
#include "filledimage.h"
#include "noiseimage.h"
#include "testfiles.h"
#include "testmedia.h"
#include "videowriter.h"
#include "yuvconverter.h"
#include "yuvrows.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <sys/stat.h>

Q_DECLARE_METATYPE(VideoWriter::Codec)
Q_DECLARE_METATYPE(QImage::Format)

namespace {

// The peak signal-to-noise ratio of a decoded RGB24 frame against the RGB888 picture.
double psnr(const QImage& expected, const char* frame)
{
    const int rowBytes = expected.width() * 3;
    double squares = 0;
    for (int y = 0; y < expected.height(); ++y) {
        const uchar* row = expected.constScanLine(y);
        const char* decoded = frame + qsizetype(y) * rowBytes;
        for (int i = 0; i < rowBytes; ++i) {
            const double difference = double(row[i]) - double(uchar(decoded[i]));
            squares += difference * difference;
        }
    }
    const double mean = squares / (double(rowBytes) * expected.height());
    return mean == 0 ? std::numeric_limits<double>::infinity()
                     : 10 * std::log10(255.0 * 255.0 / mean);
}

QStringList entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                     QDir::NoDotAndDotDot);
}

} // namespace

// Writing pictures into MP4 videos.
class TestVideoWriter : public QObject
{
    Q_OBJECT

private:
    static constexpr int pictures = 20;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void videoSize_data()
    {
        QTest::addColumn<QSizeF>("proportions");
        QTest::addColumn<int>("longerSide");
        QTest::addColumn<QSize>("size");
        QTest::newRow("square") << QSizeF(1, 1) << 1080 << QSize(1080, 1080);
        QTest::newRow("wide, shorter side rounded up to even")
            << QSizeF(960, 640) << 320 << QSize(320, 214);
        QTest::newRow("tall") << QSizeF(640, 960) << 320 << QSize(214, 320);
        QTest::newRow("16:9, shorter side rounded down to even")
            << QSizeF(1920, 1080) << 1000 << QSize(1000, 562);
        QTest::newRow("odd longer side") << QSizeF(500, 500) << 1081 << QSize(1080, 1080);
        QTest::newRow("a thin strip keeps 2") << QSizeF(1000, 1) << 100 << QSize(100, 2);
        QTest::newRow("longer side below 2") << QSizeF(4, 3) << 1 << QSize(2, 2);
        QTest::newRow("no area") << QSizeF(0, 640) << 320 << QSize();
    }

    void videoSize()
    {
        QFETCH(QSizeF, proportions);
        QFETCH(int, longerSide);
        QFETCH(QSize, size);
        QCOMPARE(VideoWriter::videoSize(proportions, longerSide), size);
    }

    void writesEveryPicture_data()
    {
        QTest::addColumn<VideoWriter::Codec>("codec");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QSize>("videoSize");
        QTest::addColumn<QImage::Format>("format");
        const auto preferred = VideoWriter::Codec::Preferred;
        const auto mpeg4 = VideoWriter::Codec::Mpeg4;
        QTest::newRow("H.264, 18 Hz, square")
            << preferred << 18.0 << QSize(1080, 1080) << QSize(1080, 1080) << QImage::Format_RGB888;
        QTest::newRow("H.264, 25 Hz, wide")
            << preferred << 25.0 << QSize(320, 214) << QSize(320, 214) << QImage::Format_RGB32;
        QTest::newRow("H.264, 29.97 Hz, scaled down")
            << preferred << 29.97 << QSize(960, 640) << QSize(320, 214)
            << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("MPEG-4, 25 Hz, square")
            << mpeg4 << 25.0 << QSize(1080, 1080) << QSize(1080, 1080) << QImage::Format_RGB888;
        QTest::newRow("MPEG-4, 29.97 Hz, tall, scaled up")
            << mpeg4 << 29.97 << QSize(107, 160) << QSize(214, 320) << QImage::Format_RGB888;
    }

    // Every picture becomes one frame that shows it, at the size and rate asked for.
    void writesEveryPicture()
    {
        QFETCH(VideoWriter::Codec, codec);
        QFETCH(double, rate);
        QFETCH(QSize, pictureSize);
        QFETCH(QSize, videoSize);
        QFETCH(QImage::Format, format);
        QTemporaryDir dir;
        const QString path = dir.filePath("fans.mp4");
        VideoWriter writer;
        writer.setCodec(codec);
        QVERIFY2(writer.open(path, videoSize, rate), qPrintable(writer.errorString()));
        if (codec == VideoWriter::Codec::Mpeg4)
            QCOMPARE(writer.encoderName(), QString("mpeg4"));
        else if (avcodec_find_encoder_by_name("libx264"))
            QCOMPARE(writer.encoderName(), QString("libx264"));
        QList<QImage> written;
        for (int i = 0; i < pictures; ++i) {
            const QImage picture = discPicture(pictureSize, i).convertToFormat(format);
            QVERIFY2(writer.write(picture), qPrintable(writer.errorString()));
            written << picture.scaled(videoSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_RGB888);
        }
        QVERIFY2(writer.finish(), qPrintable(writer.errorString()));
        QCOMPARE(writer.framesWritten(), qint64(pictures));

        const QByteArray decoded = TestMedia::rgbFrames(path);
        const qsizetype frameBytes = qsizetype(videoSize.width()) * videoSize.height() * 3;
        QCOMPARE(decoded.size(), pictures * frameBytes);
        for (int i = 0; i < pictures; ++i) {
            const double quality = psnr(written.at(i), decoded.constData() + i * frameBytes);
            QVERIFY2(quality > 30, qPrintable(QString("frame %1: %2 dB").arg(i).arg(quality)));
        }
        Core core;
        core.setFileName(path);
        const VideoInfo info = core.readFirstFrame();
        QCOMPARE(info.firstFrame.size(), videoSize);
        QCOMPARE(info.fps, rate);
        // The last frame is shown for as long as the others.
        QVERIFY(std::abs(info.durationMs - pictures * 1000 / rate) <= 1);
    }

    // Players show the colours written: the frames hold what the stream says they hold
    // (matrix and range).
    void keepsColours()
    {
        const QList<QColor> colours{Qt::red,   Qt::green,           Qt::blue, Qt::yellow, Qt::white,
                                    Qt::black, QColor(128, 64, 200)};
        const QSize size(64, 48);
        QTemporaryDir dir;
        const QString path = dir.filePath("colours.mp4");
        VideoWriter writer;
        QVERIFY2(writer.open(path, size, 25), qPrintable(writer.errorString()));
        for (const QColor& colour : colours)
            QVERIFY(writer.write(filled(size.width(), size.height(), colour)));
        QVERIFY2(writer.finish(), qPrintable(writer.errorString()));
        const QByteArray decoded = TestMedia::rgbFrames(path);
        const int frameBytes = size.width() * size.height() * 3;
        QCOMPARE(decoded.size(), colours.size() * frameBytes);
        for (int i = 0; i < colours.size(); ++i) {
            // The middle of the picture, away from any edge effects.
            const char* pixel = decoded.constData() + i * frameBytes +
                                (size.height() / 2 * size.width() + size.width() / 2) * 3;
            const int expected[3] = {colours[i].red(), colours[i].green(), colours[i].blue()};
            for (int c = 0; c < 3; ++c)
                QVERIFY2(std::abs(uchar(pixel[c]) - expected[c]) <= 4,
                         qPrintable(QString("colour %1, channel %2: %3 instead of %4")
                                        .arg(i)
                                        .arg(c)
                                        .arg(uchar(pixel[c]))
                                        .arg(expected[c])));
        }
    }

    // The file takes its name only once the video is finished: until then, and when the
    // video is abandoned, an existing file stays as it was, and nothing else is left behind.
    // The direct conversion of the fans' pictures lies within a step of BT.601 in double
    // (the colours from each 2 x 2 block's average), and its versions for each instruction
    // set give the same bytes.
    void directConversionFollowsTheFormula()
    {
        const QImage rgb = noiseImage(70, 36, 5).convertToFormat(QImage::Format_RGB888);
        const int w = rgb.width(), h = rgb.height();
        QByteArray bytes(w * h * 3 / 2, '\0');
        YuvPlanes planes;
        planes.size = rgb.size();
        planes.luma = reinterpret_cast<uint8_t*>(bytes.data());
        planes.blue = planes.luma + w * h;
        planes.red = planes.blue + w * h / 4;
        planes.lumaStride = w;
        planes.chromaStride = w / 2;
        YuvConverter::convertRgb24(rgb, planes);

        const auto channel = [&](int x, int y, int c) {
            return double(rgb.constScanLine(y)[3 * x + c]);
        };
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const double luma = 16 + 219.0 / 255 *
                                             (0.299 * channel(x, y, 0) + 0.587 * channel(x, y, 1) +
                                              0.114 * channel(x, y, 2));
                QVERIFY(std::abs(planes.luma[y * w + x] - luma) <= 0.51);
            }
        }
        for (int y = 0; y < h / 2; ++y) {
            for (int x = 0; x < w / 2; ++x) {
                double rgbMean[3] = {};
                for (int c = 0; c < 3; ++c)
                    rgbMean[c] = (channel(2 * x, 2 * y, c) + channel(2 * x + 1, 2 * y, c) +
                                  channel(2 * x, 2 * y + 1, c) + channel(2 * x + 1, 2 * y + 1, c)) /
                                 4;
                const double blue =
                    128 + 224.0 / 255 *
                              (-0.168736 * rgbMean[0] - 0.331264 * rgbMean[1] + 0.5 * rgbMean[2]);
                const double red =
                    128 + 224.0 / 255 *
                              (0.5 * rgbMean[0] - 0.418688 * rgbMean[1] - 0.081312 * rgbMean[2]);
                QVERIFY(std::abs(planes.blue[y * w / 2 + x] - blue) <= 0.51);
                QVERIFY(std::abs(planes.red[y * w / 2 + x] - red) <= 0.51);
            }
        }

#if defined(__x86_64__) || defined(__i386__)
        if (!__builtin_cpu_supports("avx2"))
            QSKIP("no AVX2 here");
        std::vector<int32_t> sums(2 * w);
        for (int y = 0; y < h; y += 2) {
            std::vector<uint8_t> plain(w * 3), vector(w * 3);
            YuvRowPair rows{
                rgb.constScanLine(y), rgb.constScanLine(y + 1), plain.data(),
                plain.data() + w,     plain.data() + 2 * w,     plain.data() + 2 * w + w / 2,
                sums.data(),          sums.data() + w,          w};
            convertYuvRowPairPlain(rows);
            rows.lumaTop = vector.data();
            rows.lumaBottom = vector.data() + w;
            rows.blue = vector.data() + 2 * w;
            rows.red = vector.data() + 2 * w + w / 2;
            convertYuvRowPairAvx2(rows);
            QCOMPARE(vector, plain);
        }
#endif
    }

    void replacesOnlyWhenFinished_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("finish");
        QTest::newRow("new file, finished") << false << 3 << true;
        QTest::newRow("new file, abandoned") << false << 3 << false;
        QTest::newRow("existing file, finished") << true << 3 << true;
        QTest::newRow("existing file, abandoned") << true << 3 << false;
        QTest::newRow("existing file, finished without pictures") << true << 0 << true;
    }

    void replacesOnlyWhenFinished()
    {
        QFETCH(bool, existing);
        QFETCH(int, count);
        QFETCH(bool, finish);
        QTemporaryDir dir;
        const QString path = dir.filePath("fans.mp4");
        const QByteArray old("an older video");
        if (existing)
            QVERIFY(writeFile(path, old));
        const QSize size(64, 48);
        bool finished = false;
        {
            VideoWriter writer;
            QVERIFY2(writer.open(path, size, 25), qPrintable(writer.errorString()));
            for (int i = 0; i < count; ++i)
                QVERIFY(writer.write(discPicture(size, i)));
            if (existing)
                QCOMPARE(contentsOf(path), old);
            if (finish) {
                finished = writer.finish();
                QCOMPARE(finished, count > 0);
            }
        }
        QCOMPARE(entries(dir.path()),
                 existing || finished ? QStringList{"fans.mp4"} : QStringList());
        if (finished)
            QCOMPARE(TestMedia::rgbFrames(path).size(), count * size.width() * size.height() * 3);
        else if (existing)
            QCOMPARE(contentsOf(path), old);
    }

    // What cannot be a video is refused before any file is touched.
    void refusesBeforeWriting_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("rate");
        QTest::newRow("the input") << "clip.mp4" << QSize(64, 48) << 25.0;
        QTest::newRow("a FIFO") << "fifo.mp4" << QSize(64, 48) << 25.0;
        QTest::newRow("a folder") << "folder" << QSize(64, 48) << 25.0;
        QTest::newRow("odd width") << "new.mp4" << QSize(63, 48) << 25.0;
        QTest::newRow("odd height") << "new.mp4" << QSize(64, 47) << 25.0;
        QTest::newRow("below 2") << "new.mp4" << QSize(0, 0) << 25.0;
        QTest::newRow("rate 0") << "new.mp4" << QSize(64, 48) << 0.0;
        QTest::newRow("negative rate") << "new.mp4" << QSize(64, 48) << -25.0;
        QTest::newRow("rate not a number")
            << "new.mp4" << QSize(64, 48) << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("rate beyond any time base") << "new.mp4" << QSize(64, 48) << 1e9;
    }

    void refusesBeforeWriting()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(double, rate);
        QTemporaryDir dir;
        const QString input = dir.filePath("clip.mp4");
        QVERIFY(writeFile(input, "the clip"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo.mp4")).constData(), 0600), 0);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QStringList before = entries(dir.path());

        VideoWriter writer;
        QVERIFY(!writer.open(dir.filePath(name), size, rate, input));
        QVERIFY(!writer.errorString().isEmpty());
        QVERIFY(!writer.write(discPicture(QSize(64, 48), 0)));
        QVERIFY(!writer.finish());
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(contentsOf(input), QByteArray("the clip"));
    }

    // A disk that fills up fails the video, however far it had come, and leaves nothing.
    void fullDiskFailsAndLeavesNothing_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << false;
        QTest::newRow("existing file") << true;
    }

    void fullDiskFailsAndLeavesNothing()
    {
        QFETCH(bool, existing);
        QTemporaryDir dir;
        const QString path = dir.filePath("fans.mp4");
        if (existing)
            QVERIFY(writeFile(path, "an older video"));
        const QStringList before = entries(dir.path());
        const QSize size(320, 214);
        VideoWriter writer;
        bool failed = false;
        {
            const FileSizeLimit limit(200 * 1024);
            QVERIFY(limit.active);
            QVERIFY2(writer.open(path, size, 25), qPrintable(writer.errorString()));
            // Noise does not compress: a few frames fill the 200 KiB.
            for (int i = 0; i < 100 && !failed; ++i)
                failed = !writer.write(noiseImage(size.width(), size.height(), quint32(i)));
            if (!failed)
                failed = !writer.finish();
        }
        QVERIFY(failed);
        QVERIFY(!writer.errorString().isEmpty());
        QCOMPARE(entries(dir.path()), before);
        if (existing)
            QCOMPARE(contentsOf(path), QByteArray("an older video"));
    }
};

QTEST_MAIN(TestVideoWriter)
#include "tst_videowriter.moc"
