// A saved fan data set opened in the window: played as the fans show it, checked against the
// panels, refused with the reason, and left again for a clip.
#include "commandline.h"
#include "fandataset.h"
#include "fanpanel.h"
#include "fanviewpicture.h"
#include "messagecapture.h"
#include "nativepath.h"
#include "noiseimage.h"
#include "outputrun.h"
#include "setplayer.h"
#include "testfiles.h"
#include "windowtesting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

using namespace WindowTesting;

namespace {

// 0 and 3: two 64-LED fans, in other places; 1 and 2: one 64-LED fan.
const char* const panels =
    R"xml(<panel model="Pair" hz="18" width="128" height="64">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
         <fan diameter="64" ledpcs="64" x="96" y="32" z="1"/>
       </panel>
       <panel model="Single" hz="18" width="64" height="64">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
       </panel>
       <panel model="Single too" hz="25" width="64" height="64">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
       </panel>
       <panel model="Wide pair" hz="25" width="256" height="64">
         <fan diameter="64" ledpcs="64" x="64" y="32" z="0"/>
         <fan diameter="64" ledpcs="64" x="192" y="32" z="0"/>
       </panel>)xml";
enum PanelIndex
{
    pairIndex,
    singleIndex,
    singleTooIndex,
    widePairIndex
};

constexpr int pairFrames = 40; // 2.2 s at 18 Hz

// Writes `frames` frames of noise as the set `name` of `fanCount` fans of 64 LEDs.
bool writeSet(const QString& name, int fanCount, int frames)
{
    FanPanel fans(64.0 * fanCount, 64);
    for (int i = 0; i < fanCount; ++i)
        fans.addFan(64, 32 + 64 * i, 32, i % 2, 64);
    fans.panel.selection = QRectF(0, 0, 48, 32);
    OutputRun run;
    if (!run.open(name, &fans.panel))
        return false;
    for (int f = 0; f < frames; ++f) {
        if (!run.convertFrame(noiseImage(48, 32, quint32(f + 1))))
            return false;
    }
    const bool written = run.finish();
    run.close();
    return written;
}

// Removes the files when it goes, by their names as the system spells them.
struct FilesRemoved
{
    QStringList paths;
    ~FilesRemoved()
    {
        for (const QString& path : paths)
            ::unlink(NativePath::toBytes(path).constData());
    }
};

QImage shownRgb(const Parts& ui)
{
    return shownPicture(ui.view).convertToFormat(QImage::Format_RGB888);
}

QString position(const QString& times, int frame, int frames)
{
    return times + "  " + translated("frame %1 / %2").arg(frame).arg(frames);
}

} // namespace

class TestWindowSet : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;
    QTemporaryDir sets;
    QString picture; // a clip: one picture of noise
    QString pair;    // the set of the "Pair" panel's fans, by its second file
    QString single;  // a set of one fan
    QString triple;  // a set of three fans, which no panel has
    // The installation's panels that the tests draw for, as the window reads them.
    FanPanel pairPanel{128, 64};
    FanPanel singlePanel{64, 64};
    FanPanel widePanel{256, 64};
    SetPlayer player; // plays `pair`
    std::unique_ptr<DialogAnswerer> dialogs;
    std::unique_ptr<MainWindow> window;

    // The first frame of `pair` on the "Pair" panel, as the window should show it.
    QImage firstPairFrame(const Parts& ui)
    {
        return player.picture(0, pairPanel.panel, ui.view->size());
    }

    Parts showPair()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        open(ui.open, *dialogs, pair);
        return ui;
    }

private slots:
    void initTestCase()
    {
        messages = std::make_unique<MessageCapture>();
        QVERIFY(sets.isValid());
        picture = sets.filePath("noise.png");
        QVERIFY(noiseImage(160, 100, 3).save(picture));
        QVERIFY(writeSet(sets.filePath("pair"), 2, pairFrames));
        QVERIFY(writeSet(sets.filePath("single"), 1, 3));
        QVERIFY(writeSet(sets.filePath("triple"), 3, 2));
        pair = FanDataSet::fileName(sets.filePath("pair"), 1, 2);
        single = FanDataSet::fileName(sets.filePath("single"), 0, 1);
        triple = FanDataSet::fileName(sets.filePath("triple"), 0, 3);

        pairPanel.panel.model = "Pair";
        pairPanel.addFan(64, 32, 32, 0, 64);
        pairPanel.addFan(64, 96, 32, 1, 64);
        singlePanel.panel.model = "Single";
        singlePanel.addFan(64, 32, 32, 0, 64);
        widePanel.addFan(64, 64, 32, 0, 64);
        widePanel.addFan(64, 192, 32, 0, 64);
        QVERIFY2(player.open(pair), qPrintable(player.errorString()));
        QCOMPARE(player.frameCount(), qint64(pairFrames));
        writeConfig(panels);
    }

    void init()
    {
        freshSettings();
        dialogs = std::make_unique<DialogAnswerer>();
    }

    void cleanup()
    {
        window.reset();
        QVERIFY2(dialogs->problems().isEmpty(), qPrintable(dialogs->problems().join("\n")));
        QCOMPARE(dialogs->pending(), 0);
    }

    void cleanupTestCase() { removeConfig(); }

    // The set takes the clip's place: its fans where the fan view puts a panel, nothing to
    // select or save; the preview plays it through at the panel's rate and a stop goes back
    // to its first frame; a clip opened after it brings everything back.
    void playsASavedSetAndGivesWayToAClip()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        open(ui.open, *dialogs, picture);
        open(ui.open, *dialogs, pair);
        const QImage first = firstPairFrame(ui);
        QTRY_VERIFY_WITH_TIMEOUT(shownRgb(ui) == first, 10000);
        QCOMPARE(shownAt(ui.view),
                 FanViewPicture::panelRect(pairPanel.panel, ui.view->size()).topLeft());
        QVERIFY(ui.fans->isChecked() && !ui.fans->isEnabled());
        QVERIFY(ui.frame->isHidden());
        QVERIFY(!ui.save->isEnabled());
        QVERIFY(ui.preview->isEnabled());
        QCOMPARE(ui.label->text(), position("0:0:0 / 0:0:2", 1, pairFrames));
        QCOMPARE(ui.progressBar->maximum(), pairFrames);
        QCOMPARE(ui.progressBar->value(), 1);

        ui.preview->click();
        QCOMPARE(window->jobState(), MainWindow::JobState::Previewing);
        QCOMPARE(ui.timer->interval(), 55);
        QSet<qint64> pictures;
        QSet<int> values;
        QVERIFY(QTest::qWaitFor(
            [&] {
                pictures.insert(shownPicture(ui.view).cacheKey());
                values.insert(ui.progressBar->value());
                return window->jobState() == MainWindow::JobState::Idle;
            },
            30000));
        QVERIFY2(pictures.size() >= 3, qPrintable(QString::number(pictures.size())));
        QVERIFY2(values.size() >= 10, qPrintable(QString::number(values.size())));
        QCOMPARE(ui.label->text(), position("0:0:2 / 0:0:2", pairFrames, pairFrames));
        QCOMPARE(ui.progressBar->value(), pairFrames);
        const QImage last = player.picture(pairFrames - 1, pairPanel.panel, ui.view->size());
        QTRY_VERIFY_WITH_TIMEOUT(shownRgb(ui) == last, 10000);

        ui.preview->click();
        QTRY_VERIFY_WITH_TIMEOUT(ui.progressBar->value() >= 3, 10000);
        ui.preview->click();
        QCOMPARE(window->jobState(), MainWindow::JobState::Idle);
        QVERIFY(!ui.timer->isActive());
        QCOMPARE(ui.label->text(), position("0:0:0 / 0:0:2", 1, pairFrames));
        QTRY_VERIFY_WITH_TIMEOUT(shownRgb(ui) == first, 10000);

        open(ui.open, *dialogs, picture);
        QVERIFY(!ui.fans->isChecked() && ui.fans->isEnabled());
        QVERIFY(ui.frame->isVisible());
        QVERIFY(ui.save->isEnabled());
        QCOMPARE(shownPicture(ui.view).size(), ui.view->imageRect.size());
        QCOMPARE(ui.label->text(), QString("0:0:0")); // a still picture has no length
    }

    // A set for other fans is refused with the reason and the panels it fits; the clip that
    // was open stays.
    void setForOtherFansIsRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fitting"); // the panels named
        QTest::newRow("one fan, two panels fit") << single << "\"Single\", \"Single too\"";
        QTest::newRow("three fans, no panel fits") << triple << "";
    }

    void setForOtherFansIsRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, fitting);
        SetPlayer set;
        QVERIFY(set.open(path));
        window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        open(ui.open, *dialogs, picture);
        const QImage clip = shownPicture(ui.view);

        dialogs->chooseFile(path);
        dialogs->accept(); // the refusal
        ui.open->click();
        QTRY_COMPARE_WITH_TIMEOUT(dialogs->seen().size(), 3, 10000);
        const DialogAnswerer::Seen box = dialogs->seen().last();
        QCOMPARE(box.title, translated("Open File"));
        QVERIFY2(box.text.contains(set.panelProblem(pairPanel.panel)), qPrintable(box.text));
        const QString fits = fitting.isEmpty()
                                 ? translated("No panel of the installation fits them.")
                                 : translated("They fit the panels %1.").arg(fitting);
        QVERIFY2(box.text.endsWith(fits), qPrintable(box.text));
        QCOMPARE(window->jobState(), MainWindow::JobState::Idle);
        QCOMPARE(shownPicture(ui.view), clip);
        QVERIFY(ui.save->isEnabled() && ui.fans->isEnabled());
    }

    // Another panel is taken only if the set fits it, and the set is then drawn for it and
    // played at its rate.
    void panelChoiceRechecksTheSet()
    {
        Parts ui = showPair();
        const QImage first = firstPairFrame(ui);
        QTRY_VERIFY_WITH_TIMEOUT(shownRgb(ui) == first, 10000);

        dialogs->accept(); // the refusal
        choose(ui.panels, singleIndex);
        QCOMPARE(dialogs->seen().size(), 2);
        const DialogAnswerer::Seen box = dialogs->seen().last();
        QCOMPARE(box.title, translated("Panel"));
        QVERIFY2(box.text.contains(player.panelProblem(singlePanel.panel)), qPrintable(box.text));
        QVERIFY2(
            box.text.endsWith(translated("They fit the panels %1.").arg("\"Pair\", \"Wide pair\"")),
            qPrintable(box.text));
        QCOMPARE(ui.panels->currentIndex(), int(pairIndex));
        QCOMPARE(shownRgb(ui), first);

        choose(ui.panels, widePairIndex);
        QTRY_VERIFY_WITH_TIMEOUT(
            shownRgb(ui) == player.picture(0, widePanel.panel, ui.view->size()), 10000);
        QCOMPARE(shownAt(ui.view),
                 FanViewPicture::panelRect(widePanel.panel, ui.view->size()).topLeft());
        QCOMPARE(ui.label->text(), position("0:0:0 / 0:0:1", 1, pairFrames)); // at 25 Hz
        ui.preview->click();
        QCOMPARE(ui.timer->interval(), 40);
        ui.preview->click();
    }

    // A set that cannot be read is refused with the reader's word; the set that was open
    // stays.
    void unreadableSetIsRefused_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("no fan data") << "garbage";
        QTest::newRow("cut short") << "cut";
        QTest::newRow("first file missing") << "missing";
    }

    void unreadableSetIsRefused()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath("broken");
        const QByteArray second = contentsOf(pair);
        QString file = FanDataSet::fileName(name, 1, 2);
        if (damage == "garbage") {
            file = FanDataSet::fileName(name, 0, 1);
            QVERIFY(writeFile(file, "not fan data\n"));
        } else {
            QVERIFY(writeFile(file, damage == "cut" ? second.left(second.size() - 100) : second));
            if (damage == "cut")
                QVERIFY(QFile::copy(FanDataSet::fileName(sets.filePath("pair"), 0, 2),
                                    FanDataSet::fileName(name, 0, 2)));
        }
        SetPlayer set;
        QVERIFY(!set.open(file));

        Parts ui = showPair();
        const QImage first = firstPairFrame(ui);
        QTRY_VERIFY_WITH_TIMEOUT(shownRgb(ui) == first, 10000);
        const QString label = ui.label->text();
        dialogs->chooseFile(file);
        dialogs->accept(); // the refusal
        ui.open->click();
        QTRY_COMPARE_WITH_TIMEOUT(dialogs->seen().size(), 3, 10000);
        QCOMPARE(dialogs->seen().last().text,
                 translated("These fan data cannot be played:\n%1\n\n%2")
                     .arg(QDir::toNativeSeparators(file), set.errorString()));
        QCOMPARE(window->jobState(), MainWindow::JobState::Idle);
        QCOMPARE(ui.label->text(), label);
        QCOMPARE(shownRgb(ui), first);
        QVERIFY(ui.preview->isEnabled() && !ui.save->isEnabled() && !ui.fans->isEnabled());
    }

    // `rotavis FILE` opens FILE by its name as given, also where that is not UTF-8.
    void commandLineOpensTheFileNamed()
    {
        char program[] = "rotavis";
        char* none[] = {program, nullptr};
        QVERIFY(commandLineFile(1, none).isEmpty());

        const QString name = sets.filePath(NativePath::fromBytes("show\xff"));
        // QTemporaryDir cannot remove names that are not UTF-8.
        const FilesRemoved removed{FanDataSet(name, 2).files()};
        QVERIFY(writeSet(name, 2, 2));
        QByteArray file = NativePath::toBytes(FanDataSet::fileName(name, 0, 2));
        char* arguments[] = {program, file.data(), nullptr};
        window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        window->openFile(commandLineFile(2, arguments));
        SetPlayer show;
        QVERIFY(show.open(name));
        const QImage first = show.picture(0, pairPanel.panel, ui.view->size());
        QTRY_VERIFY_WITH_TIMEOUT(shownRgb(ui) == first, 10000);
        QVERIFY(!ui.save->isEnabled());
    }
};

QTEST_MAIN(TestWindowSet)
#include "tst_windowset.moc"
