// Saves a picture of the whole X screen, after waiting for the program under test to draw.
// Usage: grabscreen OUT.png [DELAY_MS]. Fails when the screen still shows nothing but one
// colour 15 s after the delay (a busy machine, or Qt 6, may take longer to show the window).
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: grabscreen OUT.png [DELAY_MS]\n");
        return 2;
    }
    QThread::msleep(argc > 2 ? QString(argv[2]).toULong() : 3000);
    const auto blank = [](const QImage& shot) {
        const QRgb first = shot.pixel(0, 0);
        for (int y = 0; y < shot.height(); y += 7)
            for (int x = 0; x < shot.width(); x += 7)
                if (shot.pixel(x, y) != first)
                    return false;
        return true;
    };
    for (int attempt = 0;; ++attempt) {
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        if (shot.isNull() || !shot.save(argv[1])) {
            std::fprintf(stderr, "could not grab the screen\n");
            return 1;
        }
        if (!blank(shot))
            return 0;
        if (attempt == 30)
            break;
        QThread::msleep(500);
    }
    std::fprintf(stderr, "the screen is blank\n");
    return 1;
}
