// The whole data path through the real window: a generated clip is opened and saved with
// the dialogs answered, and the fan data files are checked byte by byte against the
// conversion library run on the same decoded frames and the same selection.
#include "core.h"
#include "fan.h"
#include "messagecapture.h"
#include "outputrun.h"
#include "panel.h"
#include "testfiles.h"
#include "testmedia.h"
#include "windowtesting.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace WindowTesting;

namespace {

// 0: one 64-LED fan on a square panel. 1: two 64-LED fans side by side on a 2:1 panel, the
// second one on the front layer with a blended rim.
const char* const panels =
    R"xml(<panel model="Single" hz="18" width="64" height="64">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
       </panel>
       <panel model="Pair" hz="18" width="128" height="64" edge-offset="6"
              colorOffset0="0:(0,0,0,255)|1:(0,0,0,0)" colorOffset1="0:(0,0,0,0)|1:(0,0,0,255)">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
         <fan diameter="64" ledpcs="64" x="96" y="32" z="1"/>
       </panel>)xml";

// A 64-LED fan: 400 packets a frame, each 8 header bytes and 3 x 64 LED bytes.
constexpr int packetSize = 8 + 3 * 64;
constexpr int recordSize = 400 * packetSize;

// The first packet whose header is not what line i of a 64-LED frame record carries:
// 0x82, i and i + 400 as 16-bit little-endian values, then three zero bytes. Empty if all fit.
QString headerProblem(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    for (int at = 0; at + packetSize <= data.size(); at += packetSize) {
        const int line = (at / packetSize) % 400;
        const uchar expected[8] = {0x82,
                                   uchar(line & 0xFF),
                                   uchar(line >> 8),
                                   uchar((line + 400) & 0xFF),
                                   uchar((line + 400) >> 8),
                                   0,
                                   0,
                                   0};
        if (memcmp(bytes + at, expected, 8) != 0)
            return QString("packet at byte %1 (line %2)").arg(at).arg(line);
    }
    return QString();
}

} // namespace

class TestWindowOutput : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;
    QTemporaryDir media;
    QString clip; // 13 pictures of 80 x 55 at 18 fps: the view shows them at 10 x

private slots:
    void initTestCase()
    {
        messages = std::make_unique<MessageCapture>();
        qRegisterMetaType<Panel*>();
        QVERIFY(media.isValid());
        clip = TestMedia::pngClip(media.path(), "clip.mkv", "18", 13, QSize(80, 55));
        QVERIFY(!clip.isEmpty());
        writeConfig(panels);
        freshSettings();
    }

    void cleanupTestCase() { removeConfig(); }

    // The frame is fitted onto the 800 x 550 picture at (50, 40) in the picture area and
    // may then be moved; the selection is its place in source pixels (view pixels / 10).
    void savedFilesHoldWhatTheConverterMakesOfEachFrame_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QPoint>("shift");
        QTest::addColumn<QRectF>("selection");
        QTest::addColumn<QStringList>("files");
        // 550 x 550 at (175, 40).
        QTest::newRow("one fan") << 0 << QPoint(0, 0) << QRectF(12.5, 0, 55, 55)
                                 << QStringList{"clip.bin"};
        // 800 x 400 at (50, 115), moved to (80, 95).
        QTest::newRow("two fans, frame moved") << 1 << QPoint(30, -20) << QRectF(3, 5.5, 80, 40)
                                               << QStringList{"clip__0.bin", "clip__1.bin"};
    }

    void savedFilesHoldWhatTheConverterMakesOfEachFrame()
    {
        QFETCH(int, panel);
        QFETCH(QPoint, shift);
        QFETCH(QRectF, selection);
        QFETCH(QStringList, files);
        QTemporaryDir output, reference;
        QVERIFY(output.isValid() && reference.isValid());

        DialogAnswerer dialogs;
        auto window = std::make_unique<MainWindow>();
        window->show();
        Parts ui(*window);
        choose(ui.panels, panel);
        open(ui.open, dialogs, clip);
        QCOMPARE(ui.view->imageRect, QRect(0, 0, 800, 550));
        ui.frame->move(ui.frame->pos() + shift);

        QSignalSpy requested(window.get(), &MainWindow::beginOutput);
        startSave(ui.save, dialogs, "clip", output.path());
        dialogs.accept(); // "Saved"
        QVERIFY(QTest::qWaitFor([&] { return ui.save->text() == translated("save"); }, 60000));
        QCOMPARE(dialogs.titles().last(), translated("Saved"));
        QVERIFY2(dialogs.problems().isEmpty(), qPrintable(dialogs.problems().join("\n")));
        QCOMPARE(requested.count(), 1);
        auto* saved = requested.first().at(1).value<Panel*>();
        QCOMPARE(saved->model, QString(panel == 0 ? "Single" : "Pair"));
        QCOMPARE(saved->selection, selection);
        QCOMPARE(QDir(output.path()).entryList(QDir::Files), files);

        // The reference: the frames as the frame source delivers them for this panel, each
        // put through the conversion library with the same selection.
        Core source;
        source.setFileName(clip);
        source.panel = saved;
        Core::decodeVideo(collectFrame, &source, 999999, false);
        // 18 fps for an 18 Hz panel: every picture once.
        QCOMPARE(source.frames.size(), 13);
        OutputRun run;
        QVERIFY(run.open(reference.filePath("clip"), saved));
        for (const QImage& frame : qAsConst(source.frames))
            QVERIFY(run.convertFrame(frame));
        run.close();

        QList<QByteArray> written;
        for (const QString& name : files) {
            const QByteArray data = contentsOf(output.filePath(name));
            QCOMPARE(data.size(), 13 * recordSize);
            const QString problem = headerProblem(data);
            QVERIFY2(problem.isEmpty(), qPrintable(name + ": " + problem));
            QVERIFY2(data == contentsOf(reference.filePath(name)), qPrintable(name));
            // LED data, not just black.
            QVERIFY(data.mid(8, 3 * 64).count('\0') < 3 * 64);
            written << data;
        }
        if (written.size() == 2)
            QVERIFY(written.at(0) != written.at(1));
        window.reset();
    }
};

QTEST_MAIN(TestWindowOutput)
#include "tst_windowoutput.moc"
