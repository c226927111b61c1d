// The window's commands driven as the operator drives them, dialogs included: open and the
// fitting of the picture and the frame, preview playback with its batches and its ends,
// save with its dialogs, its stop, its box and its failure, the button states, progress,
// the frame's bounds, drops and keys, the folders remembered, and the window closed or
// going away while the worker runs.
#include "commandline.h"
#include "core.h"
#include "filledimage.h"
#include "inputevents.h"
#include "messagecapture.h"
#include "panel.h"
#include "picturedialog.h"
#include "seekbar.h"
#include "testfiles.h"
#include "testmedia.h"
#include "viewgeometry.h"
#include "windowsettings.h"
#include "windowtesting.h"
#include "workerhold.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

using namespace WindowTesting;

namespace {

// Panels by index: 0 one fan, 18 Hz; 1 two fans, 25 Hz; 2 one 512-LED fan, slow to convert;
// 3 and 4 rates that give no timer period of their own; 6 a fan no blade can have.
const char* const panels =
    R"(<panel model="One fan" hz="18" width="320" height="320">
         <fan diameter="320" ledpcs="64" x="160" y="160" z="0"/>
       </panel>
       <panel model="Two fans" hz="25" width="200" height="100">
         <fan diameter="100" ledpcs="64" x="50" y="50" z="0"/>
         <fan diameter="100" ledpcs="64" x="150" y="50" z="1"/>
       </panel>
       <panel model="Big fan" hz="18" width="512" height="512">
         <fan diameter="512" ledpcs="512" x="256" y="256" z="0"/>
       </panel>
       <panel model="Backwards" hz="-5" width="100" height="100"/>
       <panel model="Crawling" hz="1e-40" width="100" height="100"/>
       <panel model="Endless" hz="inf" width="100" height="100"/>
       <panel model="Impossible" hz="18" width="100" height="100">
         <fan diameter="100" ledpcs="1000000" x="50" y="50" z="0"/>
       </panel>)";
enum PanelIndex
{
    oneFan,
    twoFans,
    bigFan,
    backwards,
    crawling,
    endless,
    impossible
};

// Bytes of one frame record of a 512-LED fan: 400 lines of four 8 + 384-byte packets.
constexpr qint64 bigFanRecord = 400 * 4 * (8 + 384);

// The window's states of the button table, plus the moment between the end of a job on
// the screen and the worker's confirmation that its run is over.
enum class State
{
    Start,
    Idle,
    Previewing,
    Saving,
    WorkerEnding
};

QStringList stateProblems(const Parts& ui, State state)
{
    struct Expected
    {
        bool open, preview, save;
        const char* previewText;
        const char* saveText;
        bool frameShown, masked;
        bool takesInput; // the panel box and the selection frame
    };
    Expected e{};
    switch (state) {
    case State::Start:
        e = {true, false, false, "preview", "save", true, false, true};
        break;
    case State::Idle:
        e = {true, true, true, "preview", "save", true, false, true};
        break;
    case State::Previewing:
        e = {false, true, false, "stop", "save", true, true, false};
        break;
    case State::Saving:
        e = {false, false, true, "preview", "stop", false, true, false};
        break;
    case State::WorkerEnding:
        e = {false, false, false, "preview", "save", true, false, true};
        break;
    }
    QStringList problems;
    auto check = [&problems](bool ok, const QString& what) {
        if (!ok)
            problems << what;
    };
    check(ui.open->isEnabled() == e.open, "open enabled " + QString::number(e.open));
    check(ui.preview->isEnabled() == e.preview, "preview enabled " + QString::number(e.preview));
    check(ui.save->isEnabled() == e.save, "save enabled " + QString::number(e.save));
    check(ui.open->text() == translated("open"), "open text " + ui.open->text());
    check(ui.preview->text() == translated(e.previewText), "preview text " + ui.preview->text());
    check(ui.save->text() == translated(e.saveText), "save text " + ui.save->text());
    check(ui.frame->isHidden() != e.frameShown, "frame shown " + QString::number(e.frameShown));
    check(ui.area->mask().isEmpty() != e.masked, "masked " + QString::number(e.masked));
    check(ui.panels->isEnabled() == e.takesInput, "panel box " + QString::number(e.takesInput));
    check(ui.frame->isEnabled() == e.takesInput, "frame " + QString::number(e.takesInput));
    return problems;
}

#define CHECK_STATE(ui, state)                                                                     \
    do {                                                                                           \
        const QStringList problems = stateProblems(ui, state);                                     \
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));                             \
    } while (false)

// The window's action of this text, in the language loaded; null when there is none.
QAction* actionNamed(const MainWindow& window, const char* text)
{
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == translated(text))
            return action;
    return nullptr;
}

int pending(Core* core)
{
    QMutexLocker locker(&core->frameLock);
    return core->frames.size();
}

// Whether `shown` is `picture` enlarged `scale` times (a whole number): the centre of each
// block has the colour of its source pixel.
bool showsPicture(const QImage& shown, const QImage& picture, int scale)
{
    if (shown.size() != picture.size() * scale)
        return false;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb expected = picture.pixel(x, y);
            if (shown.pixel(x * scale + scale / 2, y * scale + scale / 2) != expected)
                return false;
        }
    }
    return true;
}

// A picture whose left half is red and right half blue.
QString writeHalves(const QString& path, const QSize& size)
{
    QImage image = filled(size.width(), size.height(), Qt::blue);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    return image.save(path, "PNG") ? path : QString();
}

} // namespace

class TestWindowCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;
    QTemporaryDir media;
    QString wide, tall, small, unreadable;
    QString shortClip; // clip.final.mkv: 10 pictures, 16 x 8, 18 fps
    QString batchClip; // 70 pictures: a batch of 52 and one of 18
    QString longClip;  // 400 pictures: a preview that lasts
    QString slowClip;  // 2000 pictures: a save that lasts
    QString clip25;    // 100 pictures at 25 fps: 4 s
    QByteArray batchPictures, shortPictures, longPictures;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<DialogAnswerer> dialogs;
    std::unique_ptr<QTemporaryDir> output;

    MainWindow& newWindow(int panel = oneFan)
    {
        window = std::make_unique<MainWindow>();
        window->show();
        if (panel != oneFan)
            choose(Parts(*window).panels, panel);
        return *window;
    }

    // Waits until the window is idle with the worker's run confirmed over.
    bool becomesIdle(const Parts& ui, int timeout = 30000)
    {
        return QTest::qWaitFor([&] { return stateProblems(ui, State::Idle).isEmpty(); }, timeout);
    }

private slots:
    void initTestCase()
    {
        messages = std::make_unique<MessageCapture>();
        qRegisterMetaType<Panel*>();
        QVERIFY(media.isValid());
        wide = writeHalves(media.filePath("wide.png"), QSize(1600, 900));
        tall = writeHalves(media.filePath("tall.png"), QSize(400, 1100));
        small = writeHalves(media.filePath("small.png"), QSize(200, 100));
        QVERIFY(!wide.isEmpty() && !tall.isEmpty() && !small.isEmpty());
        const QString lying = writeHalves(media.filePath("lying.png"), QSize(1100, 400));
        QVERIFY(TestMedia::ffmpeg({"-i", lying, "-c:v", "png", media.filePath("lying.mov")}));
        // The ffmpeg tool turns this matrix clockwise: the left half comes on top.
        QVERIFY(
            !TestMedia::rotatedClip(media.filePath("lying.mov"), media.filePath("phone.mov"), 270)
                 .isEmpty());
        unreadable = media.filePath("notes.txt");
        QVERIFY(writeFile(unreadable, "not a picture\n"));

        const QSize size(16, 8);
        shortClip = TestMedia::pngClip(media.path(), "clip.final.mkv", "18", 10, size);
        batchClip = TestMedia::pngClip(media.path(), "batch.mkv", "18", 70, size);
        longClip = TestMedia::pngClip(media.path(), "long.mkv", "18", 400, size);
        slowClip = TestMedia::pngClip(media.path(), "slow.mkv", "18", 2000, size);
        clip25 = TestMedia::pngClip(media.path(), "clip25.mkv", "25", 100, size);
        for (const QString& clip : {shortClip, batchClip, longClip, slowClip, clip25})
            QVERIFY(!clip.isEmpty());
        batchPictures = TestMedia::rgbFrames(batchClip);
        shortPictures = TestMedia::rgbFrames(shortClip);
        longPictures = TestMedia::rgbFrames(longClip, {"-frames:v", "1"});
        QCOMPARE(batchPictures.size(), 70 * 16 * 8 * 3);
        QCOMPARE(shortPictures.size(), 10 * 16 * 8 * 3);
        QCOMPARE(longPictures.size(), 16 * 8 * 3);
    }

    void init()
    {
        freshSettings();
        writeConfig(panels);
        dialogs = std::make_unique<DialogAnswerer>();
        output = std::make_unique<QTemporaryDir>();
        QVERIFY(output->isValid());
    }

    void cleanup()
    {
        window.reset();
        QVERIFY2(dialogs->problems().isEmpty(), qPrintable(dialogs->problems().join("\n")));
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
    }

    void cleanupTestCase() { removeConfig(); }

    // 800 x 550 view; the one-fan panel is square and its frame is fitted onto the picture
    // (the view lies at (50, 40) in the picture area).
    void openFitsThePictureAndTheFrame_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRect>("imageRect");
        QTest::addColumn<QRect>("frame");
        QTest::newRow("landscape 1600 x 900")
            << "wide.png" << 0.5 << QRect(0, 50, 800, 450) << QRect(225, 90, 450, 450);
        QTest::newRow("portrait 400 x 1100")
            << "tall.png" << 0.5 << QRect(300, 0, 200, 550) << QRect(350, 215, 200, 200);
        // Coded 1100 x 400 with a display matrix that turns it upright, as phones write.
        QTest::newRow("a phone's portrait clip")
            << "phone.mov" << 0.5 << QRect(300, 0, 200, 550) << QRect(350, 215, 200, 200);
        QTest::newRow("small 200 x 100, enlarged")
            << "small.png" << 4.0 << QRect(0, 75, 800, 400) << QRect(250, 115, 400, 400);
    }

    void openFitsThePictureAndTheFrame()
    {
        QFETCH(QString, file);
        QFETCH(double, scale);
        QFETCH(QRect, imageRect);
        QFETCH(QRect, frame);
        MainWindow& w = newWindow();
        Parts ui(w);
        CHECK_STATE(ui, State::Start);
        open(ui.open, *dialogs, media.filePath(file));

        QCOMPARE(dialogs->seen().size(), 1);
        QCOMPARE(dialogs->seen().first().className, QString("QFileDialog"));
        QCOMPARE(dialogs->seen().first().title, translated("Open File"));
        QCOMPARE(ui.view->scale, scale);
        QCOMPARE(ui.view->imageRect, imageRect);
        // The scene's origin is the picture's top-left corner.
        QCOMPARE(ui.view->scene()->sceneRect(), QRectF(-imageRect.x(), -imageRect.y(), 800, 550));
        const QImage shown = shownPicture(ui.view);
        QCOMPARE(shown.size(), imageRect.size());
        QCOMPARE(QColor(shown.pixel(1, 1)), QColor(Qt::red));
        QCOMPARE(QColor(shown.pixel(shown.width() - 2, shown.height() - 2)), QColor(Qt::blue));
        QCOMPARE(ui.frame->geometry(), frame);
        CHECK_STATE(ui, State::Idle);
    }

    // Without autorotate the open clip is read again as coded; the choice is remembered.
    void rotationChoiceIsRemembered()
    {
        const QString phone = media.filePath("phone.mov");
        {
            MainWindow& w = newWindow();
            Parts ui(w);
            open(ui.open, *dialogs, phone);
            QAction* turn = actionNamed(w, "Turn clips as their rotation says");
            QVERIFY(turn && turn->isChecked());
            turn->setChecked(false);
            QCOMPARE(shownPicture(ui.view).size(), QSize(800, 290));
            // The frame is fitted again, onto the picture now lying.
            QVERIFY(ui.view->imageRect.translated(ui.view->pos()).contains(ui.frame->geometry()));
        }
        QCOMPARE(WindowSettings().autorotate(), false);
        MainWindow& w = newWindow();
        Parts ui(w);
        QVERIFY(!actionNamed(w, "Turn clips as their rotation says")->isChecked());
        open(ui.open, *dialogs, phone);
        QCOMPARE(shownPicture(ui.view).size(), QSize(800, 290));
    }

    void choosingAPanelFitsItsFrameOntoThePicture()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, wide);
        // 2:1 into the 800 x 450 picture at (50, 90): 800 x 400, 25 below its top.
        choose(ui.panels, twoFans);
        QCOMPARE(ui.frame->geometry(), QRect(50, 115, 800, 400));
        choose(ui.panels, oneFan);
        QCOMPARE(ui.frame->geometry(), QRect(225, 90, 450, 450));
    }

    // The square frame on the 1600 x 900 picture is its centred square; moved, it selects
    // what lies under it, also above the picture.
    void saveStoresTheFrameInSourcePixels_data()
    {
        QTest::addColumn<QPoint>("shift");
        QTest::addColumn<QRectF>("selection");
        QTest::newRow("as fitted") << QPoint(0, 0) << QRectF(350, 0, 900, 900);
        QTest::newRow("moved right and up") << QPoint(20, -10) << QRectF(390, -20, 900, 900);
    }

    void saveStoresTheFrameInSourcePixels()
    {
        QFETCH(QPoint, shift);
        QFETCH(QRectF, selection);
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, wide);
        QCOMPARE(ui.frame->geometry(), QRect(225, 90, 450, 450));
        ui.frame->move(ui.frame->pos() + shift);

        QSignalSpy requested(&w, &MainWindow::beginOutput);
        startSave(ui.save, *dialogs, "square", output->path());
        dialogs->accept(); // "Saved"
        QVERIFY(becomesIdle(ui));
        QCOMPARE(requested.count(), 1);
        QCOMPARE(requested.first().at(0).toString(), output->path() + "/square");
        auto* panel = requested.first().at(1).value<Panel*>();
        QVERIFY(panel);
        QCOMPARE(panel->model, QString("One fan"));
        QCOMPARE(panel->selection, selection);
        QCOMPARE(w.worker()->panel, panel);
        // One fan, one file, one frame of a still picture: 400 x (8 + 3 x 64) bytes.
        QCOMPARE(QFileInfo(output->filePath("square.bin")).size(), qint64(80000));
    }

    // A file that gives no picture is refused with a warning; the clip open before stays
    // with its picture, frame, position and name. The next clip starts at 0 with its length.
    void unreadableFileWarnsAndKeepsTheClip()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        CHECK_STATE(ui, State::Idle);
        ui.frame->move(ui.frame->pos() + QPoint(30, -10));
        const QRect frame = ui.frame->geometry();
        const QRect imageRect = ui.view->imageRect;
        const QImage picture = shownPicture(ui.view);
        const QString label = ui.label->text();

        dialogs->chooseFile(unreadable);
        dialogs->accept(); // the warning
        ui.open->click();
        QCOMPARE(dialogs->seen().size(), 3);
        const DialogAnswerer::Seen warning = dialogs->seen().last();
        QCOMPARE(warning.className, QString("QMessageBox"));
        QCOMPARE(warning.title, translated("Open File"));
        QCOMPARE(warning.text, translated("This file could not be read as a picture or video:\n%1")
                                   .arg(QDir::toNativeSeparators(unreadable)));
        CHECK_STATE(ui, State::Idle);
        QCOMPARE(ui.view->imageRect, imageRect);
        QCOMPARE(shownPicture(ui.view), picture);
        QCOMPARE(ui.frame->geometry(), frame);
        QCOMPARE(ui.label->text(), label);
        dialogs->reject();
        ui.save->click();
        QCOMPARE(dialogs->seen().last().value, QString("clip")); // the name of the clip kept

        open(ui.open, *dialogs, longClip);
        CHECK_STATE(ui, State::Idle);
        QCOMPARE(ui.label->text(), QString("0:0:0 / 0:0:22"));
        QCOMPARE(ui.progressBar->value(), 0);
    }

    // `rotavis CLIP` opens the clip as the open command does.
    void commandLineOpensAClip()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        char program[] = "rotavis";
        QByteArray file = QFile::encodeName(shortClip);
        char* arguments[] = {program, file.data(), nullptr};
        w.openFile(commandLineFile(2, arguments));
        CHECK_STATE(ui, State::Idle);
        QCOMPARE(ui.view->imageRect, QRect(0, 75, 800, 400));
    }

    // Resized, the window fits the picture into the grown or shrunk view; the frame keeps its
    // place on the picture, and the bar stays in the window. Back at the form's size
    // everything stands where it stood.
    void resizingKeepsTheFrameOnThePicture_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger") << QSize(1500, 950);
        QTest::newRow("wider only") << QSize(1400, 780);
        QTest::newRow("a small laptop's") << QSize(1000, 680);
        QTest::newRow("smallest") << QSize(0, 0); // the window's minimum
    }

    void resizingKeepsTheFrameOnThePicture()
    {
        QFETCH(QSize, size);
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, wide);
        ui.frame->move(ui.frame->pos() + QPoint(37, -21));
        const auto selection = [&ui] {
            return ViewGeometry::selectionRect(ui.frame->pos(), ui.frame->size(), ui.view->pos(),
                                               ui.view->imageRect, ui.view->scale);
        };
        const QRectF before = selection();
        const QRect frameBefore = ui.frame->geometry();
        const QRect viewBefore = ui.view->geometry();
        const QSize formSize = w.size();
        const double scaleBefore = ui.view->scale;

        const QSize target = size.expandedTo(w.minimumSize());
        w.resize(target);
        QTRY_COMPARE(w.size(), target);
        QVERIFY(ui.view->size() != viewBefore.size());
        // The picture fills the view one way (but for a pixel the truncation takes).
        QVERIFY(ui.view->rect().contains(ui.view->imageRect));
        QVERIFY(ui.view->imageRect.width() >= ui.view->width() - 1 ||
                ui.view->imageRect.height() >= ui.view->height() - 1);
        const QRectF after = selection();
        const double pixel = 1.5 / qMin(ui.view->scale, scaleBefore); // a view pixel or so
        QVERIFY2(qAbs(after.x() - before.x()) < pixel && qAbs(after.y() - before.y()) < pixel &&
                     qAbs(after.width() - before.width()) < pixel &&
                     qAbs(after.height() - before.height()) < pixel,
                 qPrintable(QString("%1,%2 %3x%4")
                                .arg(after.x())
                                .arg(after.y())
                                .arg(after.width())
                                .arg(after.height())));
        const QRect window = w.centralWidget()->rect();
        for (QWidget* part : {static_cast<QWidget*>(ui.progressBar),
                              static_cast<QWidget*>(ui.label), static_cast<QWidget*>(ui.fans)})
            QVERIFY2(window.contains(part->geometry()), qPrintable(part->objectName()));
        QVERIFY(window.contains(ui.view->mapTo(w.centralWidget(), ui.view->rect().bottomRight())));

        w.resize(formSize);
        QTRY_COMPARE(ui.view->geometry(), viewBefore);
        QCOMPARE(ui.frame->geometry(), frameBefore);
    }

    // Without a panel a picture can be opened and looked at, but not previewed or saved.
    void emptyInstallationOpensButNeitherPreviewsNorSaves()
    {
        removeConfig();
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, wide);
        QCOMPARE(ui.view->imageRect, QRect(0, 50, 800, 450));
        CHECK_STATE(ui, State::Start);
        QSignalSpy previews(&w, &MainWindow::playPreviewer);
        QVERIFY(QMetaObject::invokeMethod(&w, "on_pushButton_preview_clicked"));
        QVERIFY(QMetaObject::invokeMethod(&w, "on_pushButton_save_clicked"));
        QCOMPARE(previews.count(), 0);
        QCOMPARE(dialogs->seen().size(), 1);
        CHECK_STATE(ui, State::Start);
    }

    void cancelledOpenKeepsTheClip()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        // The name proposed is the file's name up to its first dot.
        dialogs->reject();
        ui.save->click();
        QCOMPARE(dialogs->seen().last().value, QString("clip"));

        dialogs->reject();
        ui.open->click();
        QCOMPARE(ui.view->imageRect, QRect(0, 75, 800, 400)); // 16 x 8 at 50 x, as before
        CHECK_STATE(ui, State::Idle);
        dialogs->reject();
        ui.save->click();
        QCOMPARE(dialogs->seen().last().value, QString("clip"));
        QCOMPARE(dialogs->seen().size(), 4);
    }

    void nameDialogSaysWhatItAsks()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        QSignalSpy requested(&w, &MainWindow::beginOutput);
        dialogs->reject();
        ui.save->click();
        const DialogAnswerer::Seen asked = dialogs->seen().last();
        QCOMPARE(asked.className, QString("QInputDialog"));
        QCOMPARE(asked.title, translated("Input FileName"));
        QCOMPARE(asked.text, translated("Input FileName:"));
        QCOMPARE(asked.buttons, QStringList({translated("ok"), translated("cancel")}));
        QCOMPARE(requested.count(), 0);
        CHECK_STATE(ui, State::Idle);
    }

    // A name that cannot name the files is refused with a word, and the name dialog comes
    // back with it until the operator gives a usable one or cancels.
    void unusableNamesAreRefused()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        QSignalSpy requested(&w, &MainWindow::beginOutput);
        const QStringList names{"", "   ", "show/intro", "..", "a\\b"};
        for (const QString& name : names) {
            dialogs->enterText(name);
            dialogs->accept(); // the warning
        }
        dialogs->reject();
        ui.save->click();
        const QList<DialogAnswerer::Seen> seen = dialogs->seen();
        QCOMPARE(seen.size(), 1 + 2 * names.size() + 1);
        for (int i = 0; i < names.size(); ++i) {
            const DialogAnswerer::Seen warning = seen.at(2 + 2 * i);
            QCOMPARE(warning.className, QString("QMessageBox"));
            QVERIFY2(!warning.text.isEmpty(), qPrintable(names.at(i)));
            // The dialog comes back with the refused name, to be put right.
            QCOMPARE(seen.at(3 + 2 * i).value, names.at(i));
        }
        // No directory is asked for, nothing is saved.
        QCOMPARE(requested.count(), 0);
        CHECK_STATE(ui, State::Idle);
    }

    // A panel with values no conversion can work with is refused before anything is asked,
    // with the reason in the window's language.
    void impossiblePanelIsRefusedWithABox()
    {
        MainWindow& w = newWindow(impossible);
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        QSignalSpy requested(&w, &MainWindow::beginOutput);
        dialogs->accept();
        ui.save->click();
        QCOMPARE(dialogs->seen().size(), 2);
        const DialogAnswerer::Seen box = dialogs->seen().last();
        QCOMPARE(box.className, QString("QMessageBox"));
        // The window starts in Chinese.
        QVERIFY2(box.text.contains("风扇 0 有 1000000 个 LED"), qPrintable(box.text));
        QCOMPARE(requested.count(), 0);
        CHECK_STATE(ui, State::Idle);
    }

    void cancelledDirectoryEndsTheSave()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        QSignalSpy requested(&w, &MainWindow::beginOutput);
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        bool dirsOnly = false;
        dialogs->enterText("out");
        dialogs->answerWith([&](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(files);
            mode = files->fileMode();
            dirsOnly = files->testOption(QFileDialog::ShowDirsOnly);
            files->reject();
        });
        ui.save->click();
        QCOMPARE(dialogs->seen().size(), 3);
        QCOMPARE(dialogs->seen().last().title, translated("Choose output directory"));
        QVERIFY(mode != QFileDialog::AnyFile && mode != QFileDialog::ExistingFile);
        QVERIFY(dirsOnly);
        QCOMPARE(requested.count(), 0);
        QVERIFY(QDir(output->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        CHECK_STATE(ui, State::Idle);
    }

    void savedBoxEndsASave()
    {
        MainWindow& w = newWindow(twoFans);
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        dialogs->accept(); // the proposed name, "clip"
        dialogs->chooseDirectory(output->path());
        QWidget* boxParent = &w;
        dialogs->answerWith([&boxParent](QWidget* box) {
            boxParent = box->parentWidget();
            if (auto* message = qobject_cast<QMessageBox*>(box);
                message && message->button(QMessageBox::Ok))
                message->button(QMessageBox::Ok)->click();
            else
                static_cast<QDialog*>(box)->reject();
        });
        ui.save->click();
        CHECK_STATE(ui, State::Saving);
        QVERIFY(becomesIdle(ui));
        QCOMPARE(boxParent, nullptr);
        const DialogAnswerer::Seen saved = dialogs->seen().last();
        QCOMPARE(saved.className, QString("QMessageBox"));
        QCOMPARE(saved.title, translated("Saved"));
        // The folder, the files and the frames in each: 10 pictures at 18 fps make 14 frames
        // at 25 Hz.
        QCOMPARE(
            saved.text,
            QStringList(
                {translated("Folder: %1").arg(QDir::toNativeSeparators(output->path())),
                 translated("Files: %1 to %2 (%3 files)").arg("clip__0.bin", "clip__1.bin").arg(2),
                 translated("Frames in each file: %1").arg(14)})
                .join('\n'));
        QCOMPARE(saved.buttons, QStringList{translated("ok")});
        // Two fans: two files, no extension added to the name before the fan's number.
        QCOMPARE(QDir(output->path()).entryList(QDir::Files),
                 QStringList({"clip__0.bin", "clip__1.bin"}));
        QCOMPARE(ui.progressBar->value(), 0);
    }

    // The bar seeks to the picture at its place, I and O set the points there, and a save
    // converts from in to out with the remembered timing, and says so.
    void seekPointsAndSaveTheRange()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, clip25);
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* bar = static_cast<SeekBar*>(ui.progressBar);
        QVERIFY(bar->isSeekable());
        const QByteArray pictures = TestMedia::rgbFrames(clip25);
        const QSize size(16, 8);
        // 25 fps: 1000 ms is picture 25, 1990 ms picture 50 (the first at or after it).
        emit bar->seekRequested(1000);
        QTRY_VERIFY(showsPicture(shownPicture(ui.view), clipPicture(pictures, size, 25), 50));
        QCOMPARE(ui.label->text(), QString("0:0:1 / 0:0:4"));
        QTest::keyClick(&w, Qt::Key_I);
        emit bar->seekRequested(1990);
        QTRY_VERIFY(showsPicture(shownPicture(ui.view), clipPicture(pictures, size, 50), 50));
        QTest::keyClick(&w, Qt::Key_O);

        QAction* exact = actionNamed(w, "Keep the clip's length (exact timing)");
        QVERIFY(exact);
        exact->setChecked(true);
        QCOMPARE(WindowSettings().timing(), Timing::Exact);

        dialogs->enterText("range");
        dialogs->chooseDirectory(output->path());
        dialogs->accept(); // the "Saved" box
        ui.save->click();
        QVERIFY(becomesIdle(ui));
        // Pictures 25 to 49, exactly timed at 18 Hz: ceil(25 x 18 / 25) frames.
        const QString saved = dialogs->seen().last().text;
        QVERIFY2(saved.contains(translated("Range: %1 to %2").arg("0:00:01.000", "0:00:01.990")),
                 qPrintable(saved));
        QVERIFY2(saved.contains(translated("Frames in each file: %1").arg(18)), qPrintable(saved));
        // Another clip has no points of its own.
        open(ui.open, *dialogs, shortClip);
        dialogs->enterText("whole");
        dialogs->chooseDirectory(output->path());
        dialogs->accept();
        ui.save->click();
        QVERIFY(becomesIdle(ui));
        QVERIFY(
            dialogs->seen().last().text.contains(translated("Frames in each file: %1").arg(10)));
    }

    // The picture dialog acts on the picture the clip stands at, not on its first one.
    void adjustmentsActOnThePictureShown()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, clip25);
        const QByteArray pictures = TestMedia::rgbFrames(clip25);
        const QImage picture = clipPicture(pictures, QSize(16, 8), 25);
        emit static_cast<SeekBar*>(ui.progressBar)->seekRequested(1000);
        QTRY_VERIFY(showsPicture(shownPicture(ui.view), picture, 50));
        w.findChild<PictureDialog*>()->findChild<QCheckBox*>("checkBox_mirror")->setChecked(true);
        QTRY_VERIFY(showsPicture(shownPicture(ui.view), picture.mirrored(true, false), 50));
        QCOMPARE(ui.label->text(), QString("0:0:1 / 0:0:4"));
    }

    // Space pauses the preview where it stands and resumes it from there.
    void spacePausesAndResumes()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Space);
        CHECK_STATE(ui, State::Previewing);
        QTRY_VERIFY_WITH_TIMEOUT(ui.progressBar->value() >= 500, 10000);
        QTest::keyClick(&w, Qt::Key_Space);
        QVERIFY(becomesIdle(ui));
        const QImage paused = shownPicture(ui.view);
        const int position = ui.progressBar->value();
        QVERIFY(position > 0);
        QVERIFY(static_cast<SeekBar*>(ui.progressBar)->isSeekable());

        QTest::keyClick(&w, Qt::Key_Space);
        CHECK_STATE(ui, State::Previewing);
        ui.timer->stop();
        QTRY_VERIFY_WITH_TIMEOUT(pending(w.worker()) > 0, 10000);
        w.showVideo();
        QCOMPARE(shownPicture(ui.view), paused);
        // One frame on at 18 Hz, give or take the rounding of both.
        QVERIFY(qAbs(ui.progressBar->value() - (position + 1000 / 18)) <= 1);
        ui.preview->click();
        QVERIFY(becomesIdle(ui));
    }

    void previewMasksTheSelectionAndTicksAtThePanelRate_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("ellipse");
        QTest::newRow("one fan, 18 Hz") << int(oneFan) << 55 << true;
        QTest::newRow("two fans, 25 Hz") << int(twoFans) << 40 << false;
        QTest::newRow("negative rate") << int(backwards) << 55 << true;
        QTest::newRow("rate too small for a period") << int(crawling) << 55 << true;
        QTest::newRow("infinite rate") << int(endless) << 55 << true;
    }

    void previewMasksTheSelectionAndTicksAtThePanelRate()
    {
        QFETCH(int, panel);
        QFETCH(int, interval);
        QFETCH(bool, ellipse);
        MainWindow& w = newWindow(panel);
        Parts ui(w);
        open(ui.open, *dialogs, wide);
        QSignalSpy requested(&w, &MainWindow::playPreviewer);
        ui.preview->click();
        CHECK_STATE(ui, State::Previewing);
        QCOMPARE(requested.count(), 1);
        QVERIFY(ui.timer->isActive());
        QCOMPARE(ui.timer->interval(), interval);

        const QRect frame = ui.frame->geometry();
        const QRegion mask = ui.area->mask();
        QCOMPARE(mask.boundingRect(), frame);
        QVERIFY(mask.contains(frame.center()));
        if (ellipse) {
            QVERIFY(!mask.contains(frame.topLeft() + QPoint(3, 3)));
            QVERIFY(!mask.contains(frame.bottomRight() - QPoint(3, 3)));
            QVERIFY(mask.contains(QPoint(frame.center().x(), frame.top() + 2)));
        } else {
            QCOMPARE(mask, QRegion(frame));
        }
        // A still picture: one frame, then the display has caught up.
        QVERIFY(becomesIdle(ui));
        QVERIFY(!ui.timer->isActive());
    }

    void previewPlaysToTheEnd()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        QSignalSpy ended(w.worker(), &Core::runEnded);
        ui.preview->click();
        CHECK_STATE(ui, State::Previewing);
        QVERIFY(becomesIdle(ui));
        QCOMPARE(ended.count(), 1);
        QVERIFY(!ui.timer->isActive());
        QCOMPARE(pending(w.worker()), 0);
        // Every picture was played: the last one is still on the screen.
        QVERIFY(showsPicture(shownPicture(ui.view), clipPicture(shortPictures, {16, 8}, 9), 50));
    }

    // "stop" ends the preview on the screen at once; open, preview and save come back
    // when the worker confirms that its run is over. Meanwhile open does nothing.
    void stoppedPreviewWaitsForTheWorker()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        QSignalSpy ended(w.worker(), &Core::runEnded);
        ui.preview->click();
        QTRY_VERIFY_WITH_TIMEOUT(!shownPicture(ui.view).isNull() && pending(w.worker()) > 3, 10000);
        QVERIFY(QMetaObject::invokeMethod(&w, "on_pushButton_open_clicked"));

        ui.preview->click();
        CHECK_STATE(ui, State::WorkerEnding);
        QVERIFY(!ui.timer->isActive());
        // The progress is back at zero: 400 pictures at 18 fps last 22 s and a bit.
        QCOMPARE(ui.label->text(), QString("0:0:0 / 0:0:22"));
        QCOMPARE(ui.progressBar->value(), 0);
        // Refused while the worker has not confirmed: no dialog comes up.
        QVERIFY(QMetaObject::invokeMethod(&w, "on_pushButton_open_clicked"));
        QCOMPARE(dialogs->seen().size(), 1);

        QVERIFY(becomesIdle(ui, 10000));
        QCOMPARE(ended.count(), 1);
    }

    // A stop pressed before the worker has begun the run (a quick second press) is not
    // wiped out when the run starts: the run still ends.
    void previewStoppedBeforeItsRunBegins()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        QSignalSpy ended(w.worker(), &Core::runEnded);
        WorkerHold hold(w.worker());
        ui.preview->click();
        ui.preview->click();
        hold.release();
        CHECK_STATE(ui, State::WorkerEnding);
        QVERIFY(becomesIdle(ui, 10000));
        QCOMPARE(ended.count(), 1);
    }

    void saveStoppedBeforeItsRunBegins()
    {
        MainWindow& w = newWindow(bigFan);
        Parts ui(w);
        open(ui.open, *dialogs, slowClip);
        WorkerHold hold(w.worker());
        startSave(ui.save, *dialogs, "big", output->path());
        dialogs->accept(); // "Saved"
        ui.save->click();
        hold.release();
        QVERIFY(becomesIdle(ui, 60000));
        QCOMPARE(dialogs->titles().last(), translated("Saved"));
        const qint64 size = QFileInfo(output->filePath("big.bin")).size();
        QVERIFY(size < 2000 * bigFanRecord);
        QCOMPARE(size % bigFanRecord, qint64(0));
    }

    // The display shows batches of 52 frames; after the 52nd (index 51) it hands the list
    // back and the worker fills the next batch. Ticks are driven one by one here.
    void previewPlaysBatchAfterBatch()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, batchClip);
        Core* core = w.worker();
        QSignalSpy ended(core, &Core::runEnded);
        ui.preview->click();
        ui.timer->stop();
        QTRY_COMPARE_WITH_TIMEOUT(pending(core), 52, 10000);

        const QSize size(16, 8);
        for (int k = 0; k < 52; ++k) {
            w.showVideo();
            QVERIFY2(showsPicture(shownPicture(ui.view), clipPicture(batchPictures, size, k), 50),
                     qPrintable(QString("tick %1").arg(k)));
            if (k < 51)
                QCOMPARE(pending(core), 52); // the worker waits for the batch
            // 18 ticks make a second at 18 Hz; 70 pictures last 3.9 s.
            if (k == 16)
                QVERIFY(ui.label->text().startsWith("0:0:0 / 0:0:3"));
            if (k == 17) {
                QCOMPARE(ui.label->text(), QString("0:0:1 / 0:0:3"));
                QCOMPARE(ui.progressBar->value(), 1000);
            }
        }
        // The rest, 18 pictures, and the run ends at the end of the clip.
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
        QCOMPARE(pending(core), 18);
        for (int k = 52; k < 70; ++k) {
            w.showVideo();
            QVERIFY2(showsPicture(shownPicture(ui.view), clipPicture(batchPictures, size, k), 50),
                     qPrintable(QString("tick %1").arg(k)));
        }
        QCOMPARE(ui.preview->text(), translated("stop"));
        // The ticks go on: the next finds the run over and every frame shown.
        ui.timer->start();
        QVERIFY(becomesIdle(ui));
        QCOMPARE(pending(core), 0);
    }

    // Ticks that find no new frame while the worker's run goes on (a busy machine, a large
    // clip) wait for the next one: the preview neither ends nor moves its clock.
    void previewWaitsForTheWorker()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        Core* core = w.worker();
        QSignalSpy ended(core, &Core::runEnded);
        WorkerHold hold(core);
        ui.preview->click();
        ui.timer->stop();
        for (int tick = 0; tick < 20; ++tick)
            w.showVideo();
        CHECK_STATE(ui, State::Previewing);
        QCOMPARE(ui.label->text(), QString("0:0:0 / 0:0:22"));

        hold.release();
        QTRY_VERIFY_WITH_TIMEOUT(pending(core) > 0, 10000);
        w.showVideo();
        QVERIFY(showsPicture(shownPicture(ui.view), clipPicture(longPictures, {16, 8}, 0), 50));
        CHECK_STATE(ui, State::Previewing);
        ui.preview->click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
        QVERIFY(becomesIdle(ui));
    }

    // The language box re-texts the buttons but keeps "stop" on a running job's toggle, so
    // that the toggle still stops it.
    void languageBoxDuringAPreviewKeepsStop()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        QSignalSpy requested(&w, &MainWindow::playPreviewer);
        ui.preview->click();
        choose(ui.language, 1);
        QCOMPARE(ui.open->text(), QString("open"));
        QCOMPARE(ui.save->text(), QString("save"));
        QCOMPARE(ui.preview->text(), QString("stop"));
        CHECK_STATE(ui, State::Previewing);
        ui.preview->click();
        CHECK_STATE(ui, State::WorkerEnding);
        QVERIFY(becomesIdle(ui));
        QCOMPARE(requested.count(), 1);
    }

    // setLanguage on its own re-texts the buttons as the job state has them: the running
    // preview's toggle says "stop" in the new language and stops it.
    void setLanguageDuringAPreviewKeepsTheToggle()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        QSignalSpy requested(&w, &MainWindow::playPreviewer);
        ui.preview->click();
        w.setLanguage("en");
        QCOMPARE(ui.preview->text(), QString("stop"));
        ui.preview->click();
        QCOMPARE(requested.count(), 1);
        QVERIFY(!ui.timer->isActive());
        QVERIFY(becomesIdle(ui));
        QCOMPARE(requested.count(), 1);
    }

    // Start -> open -> preview -> stop -> (worker done) -> preview to its end -> save ->
    // "Saved" -> idle, and a cancelled open on the way.
    void buttonStatesFollowTheStateTable()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        QSignalSpy ended(w.worker(), &Core::runEnded);
        CHECK_STATE(ui, State::Start);
        dialogs->reject();
        ui.open->click();
        CHECK_STATE(ui, State::Start);
        open(ui.open, *dialogs, shortClip);
        CHECK_STATE(ui, State::Idle);

        ui.preview->click();
        CHECK_STATE(ui, State::Previewing);
        ui.preview->click();
        CHECK_STATE(ui, State::WorkerEnding);
        QVERIFY(becomesIdle(ui, 10000));
        QCOMPARE(ended.count(), 1);

        ui.preview->click();
        CHECK_STATE(ui, State::Previewing);
        QVERIFY(becomesIdle(ui));
        QCOMPARE(ended.count(), 2);

        dialogs->accept();
        dialogs->chooseDirectory(output->path());
        dialogs->accept();
        ui.save->click();
        CHECK_STATE(ui, State::Saving);
        QVERIFY(becomesIdle(ui));
        QCOMPARE(dialogs->titles().last(), translated("Saved"));
        QCOMPARE(ended.count(), 3);
    }

    // "stop" during a save (after a language change, which keeps the toggle at "stop")
    // still ends with the "Saved" box; the files hold whole frames only.
    void stopDuringASave()
    {
        MainWindow& w = newWindow(bigFan);
        Parts ui(w);
        open(ui.open, *dialogs, slowClip);
        QSignalSpy progress(w.worker(), &Core::outputProgress);
        startSave(ui.save, *dialogs, "big", output->path());
        dialogs->accept(); // "Saved"
        QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0, 30000);
        // Open does nothing while the run goes on.
        QVERIFY(QMetaObject::invokeMethod(&w, "on_pushButton_open_clicked"));
        choose(ui.language, 1);
        QCOMPARE(ui.save->text(), QString("stop"));
        CHECK_STATE(ui, State::Saving);
        // After the position: how far the save has come and how long it will still take.
        const QRegularExpression saving("^\\d+:\\d+:\\d+ / 0:1:51  \\d+% · \\d+:\\d+:\\d+ left$");
        QTRY_VERIFY_WITH_TIMEOUT(saving.match(ui.label->text()).hasMatch(), 30000);

        ui.save->click();
        CHECK_STATE(ui, State::Saving); // until the worker reports the end
        QVERIFY(becomesIdle(ui));
        QCOMPARE(ui.save->text(), QString("save"));
        QCOMPARE(dialogs->titles().last(), QString("Saved"));
        QCOMPARE(dialogs->seen().size(), 4); // open, name, directory, "Saved"
        const qint64 size = QFileInfo(output->filePath("big.bin")).size();
        QVERIFY(size >= 6 * bigFanRecord);
        QVERIFY(size < 2000 * bigFanRecord);
        QCOMPARE(size % bigFanRecord, qint64(0));
        // The box says what the files hold: 2000 pictures at 18 fps are about 2000 frames.
        const int frames = int(size / bigFanRecord);
        QCOMPARE(dialogs->seen().last().text,
                 QStringList({"Folder: " + QDir::toNativeSeparators(output->path()),
                              "File: big.bin", QString("Frames in each file: %1").arg(frames),
                              QString("Stopped after %1 of about 2000 frames.").arg(frames)})
                     .join('\n'));
        QCOMPARE(ui.label->text(), QString("0:0:0 / 0:1:51"));
    }

    // A data file that cannot be written: "Not saved" naming the file, instead of "Saved".
    void failedSaveSaysSo()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        QVERIFY(QDir(output->path()).mkdir("clip.bin"));
        startSave(ui.save, *dialogs, "clip", output->path());
        dialogs->accept();
        QVERIFY(becomesIdle(ui));
        const DialogAnswerer::Seen box = dialogs->seen().last();
        QCOMPARE(box.className, QString("QMessageBox"));
        QCOMPARE(box.title, translated("Not saved"));
        const QString intro = translated("The fan data could not be written.\n\n%1").arg("");
        QVERIFY2(box.text.startsWith(intro), qPrintable(box.text));
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(output->filePath("clip.bin"))),
                 qPrintable(box.text));
        QCOMPARE(box.buttons, QStringList{translated("ok")});
        QVERIFY(!dialogs->titles().contains(translated("Saved")));

        // The next save works.
        QVERIFY(QDir(output->path()).rmdir("clip.bin"));
        startSave(ui.save, *dialogs, "clip", output->path());
        dialogs->accept();
        QVERIFY(becomesIdle(ui));
        QCOMPARE(dialogs->titles().last(), translated("Saved"));
        QCOMPARE(QFileInfo(output->filePath("clip.bin")).size() % 80000, qint64(0));
    }

    // Progress of an output run: panel frames at the panel's rate, shown as a time.
    void progressFollowsTheOutputRun()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        // No file: neither a stream rate nor a duration. The frame index is the panel
        // frame; 36 frames at 18 Hz are 2 s; the bar stays empty.
        w.outputProgress(36, QImage());
        QCOMPARE(ui.label->text(), QString("0:0:2"));
        QCOMPARE(ui.progressBar->value(), 0);
        QCOMPARE(ui.progressBar->maximum(), 1);

        // A still picture has a rate (25) but no duration: picture 50 is panel frame 36.
        open(ui.open, *dialogs, wide);
        w.outputProgress(50, QImage());
        QCOMPARE(ui.label->text(), QString("0:0:2"));
        QCOMPARE(ui.progressBar->value(), 0);

        // 100 pictures at 25 fps: 4 s.
        open(ui.open, *dialogs, clip25);
        const QByteArray pictures = TestMedia::rgbFrames(clip25);
        const QImage picture = clipPicture(pictures, {16, 8}, 50);
        w.outputProgress(50, picture);
        QCOMPARE(ui.label->text(), QString("0:0:2 / 0:0:4"));
        QCOMPARE(ui.progressBar->maximum(), 4000);
        QCOMPARE(ui.progressBar->value(), 2000);
        QVERIFY(showsPicture(shownPicture(ui.view), picture, 50));
        // 18 / 25 x 99 = 71.28 frames: 71 / 18 s = 3944 ms.
        w.outputProgress(99, picture);
        QCOMPARE(ui.label->text(), QString("0:0:3 / 0:0:4"));
        QCOMPARE(ui.progressBar->value(), 3944);
    }

    // The window going away stops the worker and waits for it: the data files end on a
    // whole frame, and no box comes up.
    void destroyingTheWindowDuringASave()
    {
        MainWindow& w = newWindow(bigFan);
        Parts ui(w);
        open(ui.open, *dialogs, slowClip);
        QSignalSpy progress(w.worker(), &Core::outputProgress);
        QSignalSpy requested(&w, &MainWindow::beginOutput);
        startSave(ui.save, *dialogs, "cut", output->path());
        QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0, 30000);
        const QPointer<Panel> panel = requested.first().at(1).value<Panel*>();
        const QPointer<Core> worker = w.worker();
        QVERIFY(panel && worker);
        window.reset();
        // The worker and the installation go with the window.
        QVERIFY(worker.isNull());
        QVERIFY(panel.isNull());
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const qint64 size = QFileInfo(output->filePath("cut.bin")).size();
        QVERIFY(size >= 6 * bigFanRecord);
        QVERIFY(size < 2000 * bigFanRecord);
        QCOMPARE(size % bigFanRecord, qint64(0));
        QCOMPARE(dialogs->seen().size(), 3); // open, name, directory
    }

    void destroyingTheWindowDuringAPreview()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        ui.preview->click();
        ui.timer->stop();
        // The worker waits for the display to take its batch.
        QTRY_COMPARE_WITH_TIMEOUT(pending(w.worker()), 52, 10000);
        const QPointer<Core> worker = w.worker();
        // A run left waiting would hang here.
        window.reset();
        QVERIFY(worker.isNull());
    }

    // While a job runs, the panel box and the selection frame take no input: the job keeps
    // the panel and the region it started with, and what is shown stays in step with them.
    void panelAndFrameTakeNoInputDuringAJob()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, longClip);
        ui.preview->click();
        const QRect frame = ui.frame->geometry();
        sendMouse(ui.frame, QEvent::MouseButtonPress, QPoint(10, 10));
        sendMouse(ui.frame, QEvent::MouseMove, QPoint(90, 60));
        sendWheel(ui.frame, QPoint(0, 120));
        QTest::keyClick(ui.panels, Qt::Key_Down);
        sendMouse(ui.view->viewport(), QEvent::MouseButtonDblClick, QPoint(5, 5));
        QCOMPARE(ui.frame->geometry(), frame);
        QCOMPARE(ui.panels->currentIndex(), int(oneFan));
        QCOMPARE(ui.groupBox->title(), QString("One fan"));
        CHECK_STATE(ui, State::Previewing);
        ui.preview->click();
        QVERIFY(becomesIdle(ui));

        // Back in idle both take input again.
        sendMouse(ui.frame, QEvent::MouseButtonPress, QPoint(10, 10));
        sendMouse(ui.frame, QEvent::MouseMove, QPoint(90, 60));
        QCOMPARE(ui.frame->geometry(), frame.translated(80, 50));
    }

    // The selection frame keeps a grip of 16 pixels inside the view however far it is
    // dragged; the wheel keeps it between a grip and the view's size; a double-click on the
    // view fits it again as choosing the panel does.
    void selectionFrameCannotBeLost()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        open(ui.open, *dialogs, wide);
        const QRect fitted(225, 90, 450, 450); // the view is (50, 40, 800, 550)
        QCOMPARE(ui.frame->geometry(), fitted);

        sendMouse(ui.frame, QEvent::MouseButtonPress, QPoint(10, 10));
        sendMouse(ui.frame, QEvent::MouseMove, QPoint(5000, 4000));
        QCOMPARE(ui.frame->pos(), QPoint(850 - 16, 590 - 16));
        sendMouse(ui.frame, QEvent::MouseMove, QPoint(-5000, -4000));
        QCOMPARE(ui.frame->pos(), QPoint(50 + 16 - 450, 40 + 16 - 450));

        for (int step = 0; step < 200; ++step)
            sendWheel(ui.frame, QPoint(0, -120));
        QVERIFY2(ui.frame->width() >= 16 && ui.frame->width() < 22,
                 qPrintable(QString::number(ui.frame->width())));
        QCOMPARE(ui.frame->width(), ui.frame->height());
        QVERIFY(ui.frame->geometry().intersected(ui.view->geometry()).width() >= 16);
        for (int step = 0; step < 200; ++step)
            sendWheel(ui.frame, QPoint(0, 120));
        QCOMPARE(ui.frame->size(), QSize(550, 550)); // the largest square in the view
        QVERIFY(ui.frame->geometry().intersected(ui.view->geometry()).width() >= 16);

        sendMouse(ui.view->viewport(), QEvent::MouseButtonDblClick, QPoint(5, 5));
        QCOMPARE(ui.frame->geometry(), fitted);
        ui.frame->move(3, 3);
        sendMouse(ui.frame, QEvent::MouseButtonDblClick, QPoint(5, 5));
        QCOMPARE(ui.frame->geometry(), fitted);
    }

    // Fan data files of the chosen name already in the folder (also those of an older set of
    // the name for one fan) are replaced only when the operator says so; a refusal leaves
    // them as they were.
    void existingFilesAreReplacedOnlyWhenAllowed()
    {
        MainWindow& w = newWindow(twoFans);
        Parts ui(w);
        open(ui.open, *dialogs, shortClip);
        const QString old = output->filePath("clip__1.bin");
        QVERIFY(writeFile(old, "earlier fan data"));
        const QString olderSet = output->filePath("clip.bin");
        QVERIFY(writeFile(olderSet, "a set of one fan"));
        QSignalSpy requested(&w, &MainWindow::beginOutput);

        dialogs->enterText("clip");
        dialogs->chooseDirectory(output->path());
        dialogs->reject(); // keep them
        ui.save->click();
        const DialogAnswerer::Seen asked = dialogs->seen().last();
        QCOMPARE(asked.title, translated("Replace files?"));
        QVERIFY2(asked.text.contains("clip__1.bin") && asked.text.contains("clip.bin") &&
                     !asked.text.contains("clip__0.bin"),
                 qPrintable(asked.text));
        QCOMPARE(QSet<QString>(asked.buttons.begin(), asked.buttons.end()),
                 QSet<QString>({translated("replace"), translated("cancel")}));
        QCOMPARE(requested.count(), 0);
        QCOMPARE(QFileInfo(old).size(), qint64(16));
        CHECK_STATE(ui, State::Idle);

        dialogs->enterText("clip");
        dialogs->chooseDirectory(output->path());
        dialogs->accept(); // replace
        dialogs->accept(); // "Saved"
        ui.save->click();
        QVERIFY(becomesIdle(ui));
        QCOMPARE(requested.count(), 1);
        QCOMPARE(QFileInfo(old).size(), 14 * qint64(400 * (8 + 3 * 64)));
        QVERIFY(!QFile::exists(olderSet));
    }

    // Closing the window during a save asks first: keep saving, or stop and close, in which
    // case the files end on a whole frame and no box comes up.
    void closingDuringASaveAsksFirst()
    {
        MainWindow& w = newWindow(bigFan);
        Parts ui(w);
        open(ui.open, *dialogs, slowClip);
        QSignalSpy progress(w.worker(), &Core::outputProgress);
        QSignalSpy ended(w.worker(), &Core::runEnded);
        startSave(ui.save, *dialogs, "big", output->path());
        QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0, 30000);

        dialogs->reject(); // keep saving
        QVERIFY(!w.close());
        const DialogAnswerer::Seen asked = dialogs->seen().last();
        QCOMPARE(asked.title, translated("Saving"));
        QCOMPARE(QSet<QString>(asked.buttons.begin(), asked.buttons.end()),
                 QSet<QString>({translated("stop and close"), translated("keep saving")}));
        QVERIFY(w.isVisible());
        CHECK_STATE(ui, State::Saving);

        dialogs->accept(); // stop and close
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 30000);
        QCoreApplication::processEvents();
        QCOMPARE(dialogs->seen().size(), 5); // open, name, directory, the question twice
        const qint64 size = QFileInfo(output->filePath("big.bin")).size();
        QVERIFY(size < 2000 * bigFanRecord);
        QCOMPARE(size % bigFanRecord, qint64(0));
    }

    // The open and save dialogs start in the folders used last, also in the next run.
    void dialogsStartInTheFoldersUsedLast()
    {
        QString openedIn, savedIn;
        const auto folderOf = [](QString* folder) {
            return [folder](QWidget* dialog) {
                *folder = static_cast<QFileDialog*>(dialog)->directory().absolutePath();
                static_cast<QDialog*>(dialog)->reject();
            };
        };
        {
            MainWindow& w = newWindow();
            Parts ui(w);
            open(ui.open, *dialogs, shortClip);
            startSave(ui.save, *dialogs, "clip", output->path());
            dialogs->accept(); // "Saved"
            QVERIFY(becomesIdle(ui));
        }
        MainWindow& w = newWindow();
        Parts ui(w);
        dialogs->answerWith(folderOf(&openedIn));
        ui.open->click();
        QCOMPARE(openedIn, QFileInfo(media.path()).absoluteFilePath());
        open(ui.open, *dialogs, wide);
        dialogs->accept(); // the name
        dialogs->answerWith(folderOf(&savedIn));
        ui.save->click();
        QCOMPARE(savedIn, QFileInfo(output->path()).absoluteFilePath());
    }

    // A file dropped onto the window opens; Ctrl+O opens, Space starts and stops the
    // preview, Ctrl+S saves.
    void dropAndKeys()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(longClip)});
        QDragEnterEvent enter(QPoint(500, 300), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(500, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
        QCOMPARE(ui.view->imageRect, QRect(0, 75, 800, 400));
        CHECK_STATE(ui, State::Idle);

        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Space);
        CHECK_STATE(ui, State::Previewing);
        QTest::keyClick(&w, Qt::Key_Space);
        QVERIFY(becomesIdle(ui));

        dialogs->reject();
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QApplication::setActiveWindow(&w); // back from the dialog
        QVERIFY(QTest::qWaitForWindowActive(&w));
        dialogs->reject();
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs->titles(),
                 QStringList({translated("Open File"), translated("Input FileName")}));
    }
};

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
