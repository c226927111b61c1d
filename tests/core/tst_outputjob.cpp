#include "adjustmentstage.h"
#include "core.h"
#include "fan.h"
#include "filesizelimit.h"
#include "messagecapture.h"
#include "packets.h"
#include "panel.h"
#include "testfiles.h"
#include "testmedia.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The worker's output run: files, progress and the end of the run.
class TestOutputJob : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    Panel panel;
    Fan fans[3];

    void setFans(int count)
    {
        panel.fans.clear();
        for (int i = 0; i < count; ++i)
            panel.fans.append(&fans[i]);
    }

    QString clip(int pictures)
    {
        return TestMedia::reusedClip(dir.path(), QString("clip%1.mkv").arg(pictures), "18",
                                     pictures, QSize(40, 30));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        panel.width = 40;
        panel.height = 30;
        panel.hz = 18;
        for (Fan& fan : fans) {
            fan.ledpcs = 20;
            fan.diameter = 20;
            fan.x = 20;
            fan.y = 15;
        }
    }

    void progressEverySixthFrame_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<QList<int>>("reported");
        QTest::newRow("13 frames") << 13 << QList<int>{5, 11};
        QTest::newRow("5 frames") << 5 << QList<int>{};
        QTest::newRow("12 frames") << 12 << QList<int>{5, 11};
    }

    void progressEverySixthFrame()
    {
        QFETCH(int, pictures);
        QFETCH(QList<int>, reported);
        setFans(1);
        MessageCapture messages;
        Core core;
        core.setFileName(clip(pictures));
        QSignalSpy progress(&core, &Core::outputProgress);
        QSignalSpy completed(&core, &Core::outputCompleted);
        QSignalSpy failed(&core, &Core::outputFailed);
        QSignalSpy ended(&core, &Core::runEnded);
        const QString out = dir.filePath("progress");
        core.beginOutput(out, &panel);

        QList<int> indices;
        for (const QList<QVariant>& report : progress) {
            indices << report.at(0).toInt();
            // A copy of the source frame, not a layer image.
            QCOMPARE(report.at(1).value<QImage>().size(), QSize(40, 30));
        }
        QCOMPARE(indices, reported);
        QCOMPARE(completed.count(), 1);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(QFileInfo(out + ".bin").size(), pictures * frameRecordSize(20));
        // The files are closed and forgotten at the end of the run.
        QCOMPARE(fans[0].file, nullptr);
        QCOMPARE(fans[0].stream, nullptr);
    }

    // The conversion's files need the pixels it reads adjusted; a frame that is shown needs
    // all of them, and a picture shown twice (2 fps on an 18 Hz panel: nine deliveries of
    // each picture, reports after every sixth) is adjusted once for each showing.
    void shownFramesAreAdjustedWhole()
    {
        setFans(1);
        MessageCapture messages;
        const QString slow = TestMedia::pngClip(dir.path(), "twofps.mkv", "2", 3, QSize(40, 30));
        auto reportedFrames = [&](const PictureAdjustments& adjustments, bool shown) {
            Core core;
            core.setFileName(slow);
            core.adjustments = adjustments;
            core.showsOutputFrames = shown;
            QSignalSpy progress(&core, &Core::outputProgress);
            core.beginOutput(dir.filePath("shown"), &panel);
            QList<QImage> frames;
            for (const QList<QVariant>& report : progress)
                frames << report.at(1).value<QImage>();
            return frames;
        };
        const QList<QImage> plain = reportedFrames(PictureAdjustments(), true);
        QCOMPARE(plain.size(), 4);
        PictureAdjustments adjustments;
        adjustments.saturation = 1.4;
        adjustments.gamma = 1.8;
        const QList<QImage> shown = reportedFrames(adjustments, true);
        QCOMPARE(shown.size(), plain.size());
        for (int i = 0; i < plain.size(); ++i)
            QCOMPARE(shown.at(i), AdjustmentStage::adjusted(plain.at(i), adjustments));
        // Not shown: the pixels left of the fan are left as decoded.
        const QImage whole = shown.first();
        const QImage partly = reportedFrames(adjustments, false).first();
        int changed = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 8; ++x) {
                QCOMPARE(partly.pixel(x, y), plain.first().pixel(x, y));
                changed += whole.pixel(x, y) != plain.first().pixel(x, y) ? 1 : 0;
            }
        }
        QVERIFY(changed > 0);
        QCOMPARE(partly.pixel(20, 15), whole.pixel(20, 15));
    }

    void repeatedPicturesGiveTwoRecords()
    {
        // 12 fps on an 18 Hz panel: pictures 2 and 4 are delivered twice.
        setFans(1);
        const QString slow = TestMedia::pngClip(dir.path(), "slow.mkv", "12", 6, QSize(40, 30));
        MessageCapture messages;
        Core core;
        core.setFileName(slow);
        const QString out = dir.filePath("repeated");
        core.beginOutput(out, &panel);
        const QByteArray data = contentsOf(out + ".bin");
        const qint64 record = frameRecordSize(20);
        QCOMPARE(data.size(), 8 * record);
        QCOMPARE(data.mid(2 * record, record), data.mid(3 * record, record));
        QVERIFY(data.mid(1 * record, record) != data.mid(2 * record, record));
    }

    void fileThatCannotBeOpenedIsReported()
    {
        setFans(3);
        const QString out = dir.filePath("blocked");
        QVERIFY(QDir().mkpath(out + "__1.bin"));
        MessageCapture messages;
        Core core;
        core.setFileName(clip(5));
        QSignalSpy failed(&core, &Core::outputFailed);
        QSignalSpy completed(&core, &Core::outputCompleted);
        QSignalSpy progress(&core, &Core::outputProgress);
        core.beginOutput(out, &panel);
        QCOMPARE(failed.count(), 1);
        QVERIFY2(failed.first().first().toString().contains("blocked__1.bin"),
                 qPrintable(failed.first().first().toString()));
        QCOMPARE(completed.count(), 1);
        // Nothing was decoded for a run that could not start.
        QCOMPARE(messages.count("begin!"), 0);
        for (const Fan& fan : fans)
            QCOMPARE(fan.file, nullptr);
    }

    void impossiblePanelIsRefusedBeforeAnyFileIsTouched()
    {
        setFans(1);
        const QString out = dir.filePath("refused");
        QVERIFY(writeFile(out + ".bin", "earlier data"));
        fans[0].ledpcs = 1000000;
        MessageCapture messages;
        Core core;
        core.setFileName(clip(5));
        QSignalSpy failed(&core, &Core::outputFailed);
        QSignalSpy completed(&core, &Core::outputCompleted);
        core.beginOutput(out, &panel);
        fans[0].ledpcs = 20;
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().first().toString().contains("1000000"));
        QCOMPARE(completed.count(), 1);
        QCOMPARE(messages.count("begin!"), 0);
        QCOMPARE(QFileInfo(out + ".bin").size(), qint64(12));
    }

    void failedWriteStopsTheRunAtAWholeFrame()
    {
        setFans(2);
        const qint64 record = frameRecordSize(20);
        const QString out = dir.filePath("full");
        MessageCapture messages;
        Core core;
        core.setFileName(clip(13));
        QSignalSpy failed(&core, &Core::outputFailed);
        QSignalSpy completed(&core, &Core::outputCompleted);
        {
            // Room for three and a half frame records a file.
            const FileSizeLimit limit(rlim_t(3.5 * record));
            QVERIFY(limit.active);
            core.beginOutput(out, &panel);
        }
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().first().toString().contains("full__0.bin"));
        QCOMPARE(completed.count(), 1);
        QCOMPARE(QFileInfo(out + "__0.bin").size(), 3 * record);
        QCOMPARE(QFileInfo(out + "__1.bin").size(), 3 * record);
        // The run ended instead of decoding the rest: the fourth frame failed while the fifth
        // was decoded, and the failure showed when the fifth was handed over.
        QVERIFY(messages.count("frame 6") == 0);
        QVERIFY(!core.lastRunStopped);
    }
};

QTEST_GUILESS_MAIN(TestOutputJob)
#include "tst_outputjob.moc"
