// Drives the real window on the display it is given (a virtual X display in the tests) and
// takes pictures of the screen: a 16:9 clip for the bundled square panel at the window's
// default size, enlarged and shrunk to fit a small laptop screen, the fans view of the square
// panel, and the open dialog of the Chinese window.
// Usage: windowshots OUT_PREFIX. Fails when a step does not come about.
#include "screenshot.h"
#include "testmedia.h"
#include "usersettings.h"
#include "windowtesting.h"

#include <QApplication>
#include <QFileDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

using Screenshot::fail;
using Screenshot::grab;

bool resizedTo(QWidget& window, const QSize& size)
{
    window.resize(size);
    return QTest::qWaitFor([&] { return window.size() == size; }, 5000);
}

bool run(const QString& prefix)
{
    QTemporaryDir scratch;
    isolateUserSettings(scratch.path());
    const QString clip = scratch.filePath("clip.mp4");
    if (!TestMedia::ffmpeg({"-f", "lavfi", "-i", "testsrc=size=640x360:rate=18", "-frames:v", "36",
                            "-c:v", "mpeg4", "-q:v", "3", clip}))
        return fail("no clip");

    MainWindow window;
    window.move(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return fail("the window did not come up");
    const WindowTesting::Parts ui(window);
    const int square = ui.panels->findText("Wall of four fans");
    if (square < 0)
        return fail("the bundled installation is not beside the program");
    WindowTesting::choose(ui.panels, square);
    WindowTesting::choose(ui.language, 1); // English

    DialogAnswerer dialogs;
    WindowTesting::open(ui.open, dialogs, clip);
    if (!ui.preview->isEnabled())
        return fail("the clip did not open");
    if (!grab(prefix + "-default.png"))
        return false;
    ui.fans->setChecked(true);
    QTest::qWait(3000); // the conversion of one frame
    if (!grab(prefix + "-fans.png"))
        return false;
    ui.fans->setChecked(false);

    if (!resizedTo(window, QSize(1500, 940)) || !grab(prefix + "-large.png"))
        return false;
    if (!resizedTo(window, QSize(1000, 680)) || !grab(prefix + "-small.png"))
        return false;

    WindowTesting::choose(ui.language, 0); // Chinese
    bool dialogGrabbed = false;
    dialogs.answerWith([&](QWidget* dialog) {
        dialogGrabbed = grab(prefix + "-open-zh.png");
        static_cast<QFileDialog*>(dialog)->reject();
    });
    ui.open->click();
    if (!dialogGrabbed)
        return fail("no open dialog");
    return dialogs.problems().isEmpty() || fail("unexpected dialogs");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: windowshots OUT_PREFIX\n");
        return 2;
    }
    return run(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
