// The fan view in the real window: what it shows of the opened picture is what the saved
// fan data files hold, and it follows a preview.
#include "core.h"
#include "fandatareader.h"
#include "fandataset.h"
#include "fanframes.h"
#include "fanviewpicture.h"
#include "messagecapture.h"
#include "noiseimage.h"
#include "packets.h"
#include "panel.h"
#include "panelcopy.h"
#include "testmedia.h"
#include "viewgeometry.h"
#include "windowtesting.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace WindowTesting;

namespace {

// 0: a rear fan and a front fan with a blended rim, side by side. 1: one fan.
const char* const panels =
    R"xml(<panel model="Pair" hz="18" width="128" height="64" edge-offset="6"
              colorOffset0="0:(0,0,0,255)|1:(0,0,0,0)" colorOffset1="0:(0,0,0,0)|1:(0,0,0,255)">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
         <fan diameter="64" ledpcs="64" x="96" y="32" z="1"/>
       </panel>
       <panel model="Single" hz="18" width="64" height="64">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
       </panel>)xml";

QRectF selectionOf(const Parts& ui)
{
    return ViewGeometry::selectionRect(ui.frame->pos(), ui.frame->size(), ui.view->pos(),
                                       ui.view->imageRect, ui.view->scale);
}

} // namespace

class TestWindowFanView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;
    QTemporaryDir media;
    QString picture; // 160 x 100 of noise
    QString clip;    // 70 pictures of 16 x 8 at 18 fps

private slots:
    void initTestCase()
    {
        messages = std::make_unique<MessageCapture>();
        qRegisterMetaType<Panel*>();
        QVERIFY(media.isValid());
        picture = media.filePath("noise.png");
        QVERIFY(noiseImage(160, 100, 3).save(picture));
        clip = TestMedia::pngClip(media.path(), "clip.mkv", "18", 70, QSize(16, 8));
        QVERIFY(!clip.isEmpty());
        writeConfig(panels);
    }

    void init() { freshSettings(); }
    void cleanupTestCase() { removeConfig(); }

    // The fans of the pair, each at its place on the panel, drawn from exactly the data
    // that a save of the same selection writes; the frame gives way to them.
    void fanViewShowsWhatTheFilesHold()
    {
        QTemporaryDir output;
        QVERIFY(output.isValid());
        DialogAnswerer dialogs;
        auto window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        open(ui.open, dialogs, picture);
        ui.frame->move(ui.frame->pos() + QPoint(-30, 20));
        ui.fans->setChecked(true);
        QVERIFY(ui.frame->isHidden());
        const QRect panelRect(0, 75, 800, 400); // 2:1 into the 800 x 550 view
        QTRY_COMPARE_WITH_TIMEOUT(shownPicture(ui.view).size(), panelRect.size(), 10000);
        const QImage shown = shownPicture(ui.view).convertToFormat(QImage::Format_RGB888);

        QSignalSpy requested(window.get(), &MainWindow::beginOutput);
        startSave(ui.save, dialogs, "pair", output.path());
        dialogs.accept(); // "Saved"
        QTRY_COMPARE_WITH_TIMEOUT(window->jobState(), MainWindow::JobState::Idle, 30000);
        QVERIFY2(dialogs.problems().isEmpty(), qPrintable(dialogs.problems().join("\n")));
        auto* panel = requested.first().at(1).value<Panel*>();
        QVector<FanFrameLines> written;
        for (int i = 0; i < 2; ++i) {
            FanDataReader reader;
            QVERIFY(reader.open(FanDataSet::fileName(output.filePath("pair"), i, 2)));
            QCOMPARE(reader.frameCount(), qint64(1));
            written.append({reader.frameLines(0), QVector<bool>(reader.linesPerFrame(), false)});
        }
        const QImage expected = FanViewPicture().paint(*panel, written, ui.view->size());
        QVERIFY(expected == shown);
        QCOMPARE(FanViewPicture::panelRect(*panel, ui.view->size()), panelRect);
        // Lit LEDs in both discs, black between them and the corners.
        QVERIFY(expected.pixelColor(120, 200) != QColor(Qt::black));
        QVERIFY(expected.pixelColor(680, 200) != QColor(Qt::black));
        QCOMPARE(expected.pixelColor(2, 2), QColor(Qt::black));

        ui.fans->setChecked(false);
        QVERIFY(ui.frame->isVisible());
        QCOMPARE(shownPicture(ui.view).size(), ui.view->imageRect.size());
        window.reset();
    }

    // The fans are drawn on black whatever the panel's shape: nothing of the picture stays
    // beside the panel or between its fans.
    void fanViewIsOnBlack_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QSize>("proportions");
        QTest::newRow("2:1 pair") << 0 << QSize(128, 64);
        QTest::newRow("square") << 1 << QSize(64, 64);
    }

    void fanViewIsOnBlack()
    {
        QFETCH(int, panel);
        QFETCH(QSize, proportions);
        DialogAnswerer dialogs;
        auto window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        choose(ui.panels, panel);
        open(ui.open, dialogs, picture);
        ui.fans->setChecked(true);
        Panel shape;
        shape.width = proportions.width();
        shape.height = proportions.height();
        const QRect panelRect = FanViewPicture::panelRect(shape, ui.view->size());
        QTRY_COMPARE_WITH_TIMEOUT(shownPicture(ui.view).size(), panelRect.size(), 10000);

        const QImage seen = ui.view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(seen.size(), ui.view->size());
        int lit = 0;
        for (int y = 0; y < seen.height(); ++y) {
            for (int x = 0; x < seen.width(); ++x) {
                const bool black = (seen.pixel(x, y) & 0xffffff) == 0;
                if (!panelRect.contains(x, y))
                    QVERIFY2(black, qPrintable(QString("%1,%2").arg(x).arg(y)));
                lit += black ? 0 : 1;
            }
        }
        QVERIFY(lit > 0); // the fans themselves
        for (const QPoint corner : {panelRect.topLeft(), panelRect.bottomRight()})
            QCOMPARE(seen.pixel(corner) & 0xffffff, 0u);
        QVERIFY2(dialogs.problems().isEmpty(), qPrintable(dialogs.problems().join("\n")));
        window.reset();
    }

    // During a preview the fan view shows frame after frame, and at its end the last one.
    void fanViewFollowsThePreview()
    {
        DialogAnswerer dialogs;
        auto window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        choose(ui.panels, 1);
        open(ui.open, dialogs, clip);
        ui.fans->setChecked(true);
        QSet<qint64> seen;
        ui.preview->click();
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QImage shown = shownPicture(ui.view);
                if (!shown.isNull())
                    seen.insert(shown.cacheKey());
                return window->jobState() == MainWindow::JobState::Idle;
            },
            30000));
        QVERIFY2(seen.size() >= 3, qPrintable(QString::number(seen.size())));

        const QByteArray pictures = TestMedia::rgbFrames(clip);
        const PanelCopy single(*window->worker()->panel, selectionOf(ui));
        FanFrameConverter converter;
        const QImage last = FanViewPicture().paint(
            single.panel(), converter.convert(clipPicture(pictures, {16, 8}, 69), single.panel()),
            ui.view->size());
        QTRY_VERIFY_WITH_TIMEOUT(
            shownPicture(ui.view).convertToFormat(QImage::Format_RGB888) == last, 10000);
        QVERIFY2(dialogs.problems().isEmpty(), qPrintable(dialogs.problems().join("\n")));
        window.reset();
    }
};

QTEST_MAIN(TestWindowFanView)
#include "tst_windowfanview.moc"
