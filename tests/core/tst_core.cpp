#include "core.h"
#include "fan.h"
#include "messagecapture.h"
#include "panel.h"
#include "testmedia.h"
#include "workerhold.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

int pending(Core& core)
{
    QMutexLocker locker(&core.frameLock);
    Q_ASSERT(core.frameCount == core.frames.size());
    return core.frameCount;
}

void takeAll(Core& core)
{
    QMutexLocker locker(&core.frameLock);
    core.frames.clear();
    core.frameCount = 0;
}

} // namespace

// The worker on a thread of its own, driven through queued calls as the window drives it.
class TestCore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString longClip; // 120 pictures at 18 fps
    Panel panel18;
    Fan fan;
    Core* core = nullptr;
    QThread* thread = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        longClip = TestMedia::pngClip(dir.path(), "long.mkv", "18", 120, QSize(16, 8));
        QVERIFY(!longClip.isEmpty());
        panel18.hz = 18.0;
        panel18.width = 16;
        panel18.height = 8;
        fan.ledpcs = 8;
        fan.diameter = 8;
        fan.x = 8;
        fan.y = 4;
        panel18.fans.append(&fan);
    }

    void init()
    {
        core = new Core;
        thread = new QThread;
        core->moveToThread(thread);
        thread->start();
        core->setFileName(longClip);
    }

    void cleanup()
    {
        core->stopRequested.raise();
        thread->quit();
        QVERIFY(thread->wait(10000));
        delete core;
        delete thread;
    }

    void startsIdle()
    {
        Core fresh;
        QVERIFY(fresh.frames.isEmpty());
        QCOMPARE(fresh.frameCount, 0);
        QVERIFY(fresh.fileName.isEmpty());
        QCOMPARE(fresh.panel, nullptr);
        QCOMPARE(fresh.parent(), nullptr);
        // No file chosen yet: nothing can be read.
        MessageCapture messages;
        const VideoInfo info = fresh.readFirstFrame();
        QVERIFY(info.firstFrame.isNull());
        QCOMPARE(info.fps, 0.0);
    }

    void previewPausesAtFiftyTwoPendingFramesAndResumesWhenTaken()
    {
        MessageCapture messages;
        QSignalSpy ended(core, &Core::runEnded);
        QSignalSpy played(core, &Core::playCompleted);
        QMetaObject::invokeMethod(core, "playPreviewer", Qt::QueuedConnection,
                                  Q_ARG(Panel*, &panel18));

        QTRY_COMPARE_WITH_TIMEOUT(pending(*core), 52, 20000);
        // The run now only polls: it logs "continue" and reads nothing more.
        const int before = messages.count("continue");
        QTRY_VERIFY_WITH_TIMEOUT(messages.count("continue") > before + 5, 20000);
        QCOMPARE(pending(*core), 52);
        QCOMPARE(core->panel, &panel18);
        {
            QMutexLocker locker(&core->frameLock);
            // Distinct consecutive pictures of the moving pattern, in delivery order.
            QVERIFY(core->frames.at(0) != core->frames.at(1));
            QCOMPARE(core->frames.at(0).format(), QImage::Format_RGB888);
        }

        takeAll(*core);
        QTRY_COMPARE_WITH_TIMEOUT(pending(*core), 52, 20000);
        takeAll(*core);
        // 120 pictures: 52 + 52 + the last 16, after which the run ends by itself.
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);
        QCOMPARE(pending(*core), 16);
        QCOMPARE(played.count(), 0);
    }

    void stopEndsAWaitingPreview()
    {
        MessageCapture messages;
        QSignalSpy ended(core, &Core::runEnded);
        QMetaObject::invokeMethod(core, "playPreviewer", Qt::QueuedConnection,
                                  Q_ARG(Panel*, &panel18));
        QTRY_COMPARE_WITH_TIMEOUT(pending(*core), 52, 20000);
        core->stopRequested.raise();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
        // The frames stay for the window to discard.
        QCOMPARE(pending(*core), 52);
    }

    void previewAppendsRepeatedPicturesTwice()
    {
        const QString slow = TestMedia::pngClip(dir.path(), "slow.mkv", "12", 6, QSize(16, 8));
        QVERIFY(!slow.isEmpty());
        core->setFileName(slow);
        MessageCapture messages;
        QSignalSpy ended(core, &Core::runEnded);
        QMetaObject::invokeMethod(core, "playPreviewer", Qt::QueuedConnection,
                                  Q_ARG(Panel*, &panel18));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);
        // 12 fps to 18 Hz: pictures 2 and 4 are repeated: 0 1 2 2 3 4 4 5.
        QMutexLocker locker(&core->frameLock);
        QCOMPARE(core->frames.size(), 8);
        QCOMPARE(core->frameCount, 8);
        QCOMPARE(core->frames.at(2), core->frames.at(3));
        QCOMPARE(core->frames.at(5), core->frames.at(6));
        QVERIFY(core->frames.at(1) != core->frames.at(2));
        QVERIFY(core->frames.at(3) != core->frames.at(4));
    }

    void commandsQueueBehindTheRunningJob()
    {
        MessageCapture messages;
        QSignalSpy ended(core, &Core::runEnded);
        QSignalSpy completed(core, &Core::outputCompleted);
        QMetaObject::invokeMethod(core, "playPreviewer", Qt::QueuedConnection,
                                  Q_ARG(Panel*, &panel18));
        QMetaObject::invokeMethod(core, "beginOutput", Qt::QueuedConnection,
                                  Q_ARG(QString, dir.filePath("out")), Q_ARG(Panel*, &panel18));
        QTRY_COMPARE_WITH_TIMEOUT(pending(*core), 52, 20000);
        // The output waits while the preview holds the worker.
        QCOMPARE(completed.count(), 0);
        QCOMPARE(ended.count(), 0);
        core->stopRequested.raise();
        QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 20000);
    }

    void outputRunOfAnUnreadableFileReportsTheFailure()
    {
        const QString missing = dir.filePath("nothing-here.mp4");
        core->setFileName(missing);
        MessageCapture messages;
        QSignalSpy failed(core, &Core::outputFailed);
        QSignalSpy completed(core, &Core::outputCompleted);
        QSignalSpy ended(core, &Core::runEnded);
        QMetaObject::invokeMethod(core, "beginOutput", Qt::QueuedConnection,
                                  Q_ARG(QString, dir.filePath("out")), Q_ARG(Panel*, &panel18));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().first().toString().contains("nothing-here.mp4"));
        QCOMPARE(completed.count(), 1);
        QCOMPARE(core->panel, &panel18);
    }

    void stopRaisedWhileIdleDoesNotStopTheNextRun()
    {
        MessageCapture messages;
        QSignalSpy failed(core, &Core::outputFailed);
        QSignalSpy completed(core, &Core::outputCompleted);
        QSignalSpy ended(core, &Core::runEnded);
        // A run that was not stopped converts every frame and ends without a failure.
        core->stopRequested.raise();
        core->stopRequested.announceJob();
        QMetaObject::invokeMethod(core, "beginOutput", Qt::QueuedConnection,
                                  Q_ARG(QString, dir.filePath("out")), Q_ARG(Panel*, &panel18));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(completed.count(), 1);
        QCOMPARE(core->lastRunStopped, false);
    }

    // A stop pressed right after the job was asked for, before the worker began it, ends
    // that job: without it this preview would fill a batch and wait for the window forever.
    void stopRaisedBeforeItsRunStartsStopsThatRun()
    {
        MessageCapture messages;
        QSignalSpy ended(core, &Core::runEnded);
        WorkerHold hold(core);
        core->stopRequested.announceJob();
        QMetaObject::invokeMethod(core, "playPreviewer", Qt::QueuedConnection,
                                  Q_ARG(Panel*, &panel18));
        core->stopRequested.raise();
        hold.release();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
        QVERIFY(core->lastRunStopped);
        QCOMPARE(pending(*core), 0);
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
