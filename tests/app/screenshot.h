#ifndef ROTAVIS_TESTS_SCREENSHOT_H
#define ROTAVIS_TESTS_SCREENSHOT_H

// What the screenshot tools that run under Xvfb share.

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QString>
#include <QTest>

#include <cstdio>

namespace Screenshot {

// Saves the whole screen to `path`, once the window has drawn what it was just given.
inline bool grab(const QString& path)
{
    QTest::qWait(300);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Says what went wrong, for a step that returns false.
inline bool fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    return false;
}

} // namespace Screenshot

#endif
