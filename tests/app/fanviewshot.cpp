// Drives the real window on the display it is given (a virtual X display in the tests) and
// takes pictures of the screen: a clip opened for the bundled "Front fan over four rear
// fans" panel, then with the fan view, during a preview with the fan view, during a save,
// and the box at the end of the save.
// Usage: fanviewshot OUT_PREFIX. Fails when a step does not come about.
#include "screenshot.h"
#include "testmedia.h"
#include "usersettings.h"
#include "windowtesting.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

using Screenshot::fail;
using Screenshot::grab;

bool run(const QString& prefix)
{
    QTemporaryDir scratch;
    isolateUserSettings(scratch.path());
    // Long enough that the save is still going when its picture is taken.
    const QString clip = scratch.filePath("clip.mp4");
    if (!TestMedia::ffmpeg({"-f", "lavfi", "-i", "testsrc=size=640x360:rate=18", "-frames:v",
                            "1800", "-c:v", "mpeg4", "-q:v", "3", clip}))
        return fail("no clip");

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return fail("the window did not come up");
    const WindowTesting::Parts ui(window);
    const int front = ui.panels->findText("Front fan over four rear fans");
    if (front < 0)
        return fail("the bundled installation is not beside the program");
    WindowTesting::choose(ui.panels, front);

    DialogAnswerer dialogs;
    WindowTesting::open(ui.open, dialogs, clip);
    if (!ui.preview->isEnabled())
        return fail("the clip did not open");
    if (!grab(prefix + "-picture.png"))
        return false;

    ui.fans->setChecked(true);
    QTest::qWait(3000); // the conversion of one frame
    if (!grab(prefix + "-fans.png"))
        return false;

    ui.preview->click();
    QTest::qWait(2500);
    if (window.jobState() != MainWindow::JobState::Previewing)
        return fail("the preview ended early");
    if (!grab(prefix + "-preview.png"))
        return false;
    ui.preview->click();
    if (!QTest::qWaitFor([&] { return window.jobState() == MainWindow::JobState::Idle; }, 10000))
        return fail("the preview did not stop");

    // A save, stopped after a while: its progress, then the box that says what was written.
    bool boxGrabbed = false;
    dialogs.accept(); // the proposed name
    dialogs.chooseDirectory(scratch.path());
    dialogs.answerWith([&](QWidget* box) {
        boxGrabbed = grab(prefix + "-saved.png");
        box->close();
    });
    ui.save->click();
    QTest::qWait(2500);
    if (window.jobState() != MainWindow::JobState::Saving)
        return fail("the save ended early");
    if (!grab(prefix + "-saving.png"))
        return false;
    ui.save->click();
    if (!QTest::qWaitFor([&] { return boxGrabbed; }, 30000))
        return fail("no box after the save");
    return dialogs.problems().isEmpty() || fail("unexpected dialogs");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: fanviewshot OUT_PREFIX\n");
        return 2;
    }
    return run(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
