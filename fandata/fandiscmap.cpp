#include "fandiscmap.h"

#include "bladetypes.h"

#include <cmath>
#include <cstring>
#include <vector>

FanDiscMap::FanDiscMap(int ledpcs, int lineCount, int side)
    : leds(ledpcs), lines(lineCount), discSide(qMax(0, side)), lineLeds(2 * halfLineLength(ledpcs))
{
    const int halfLine = halfLineLength(ledpcs);
    if (halfLine == 0 || lineCount <= 0 || discSide == 0) {
        discSide = 0;
        return;
    }
    ledOfPixel.fill(-1, discSide * discSide);
    // Pixels per LED, the centre, the distance of the pixel's centre from it in LEDs, and the
    // direction rounded to the nearest of 2 L half-lines: blade position k points its first
    // half-line at -180 k / L degrees (y down) and its second half-line the opposite way.
    const double scale = discSide / (2.0 * halfLine);
    const double centre = discSide / 2.0;
    constexpr double pi = 3.14159265358979323846;
    for (int y = 0; y < discSide; ++y) {
        for (int x = 0; x < discSide; ++x) {
            const double dx = (x + 0.5 - centre) / scale;
            const double dy = (y + 0.5 - centre) / scale;
            const int distance = int(std::lround(std::hypot(dx, dy)));
            if (distance >= halfLine)
                continue;
            const double degrees = std::atan2(dy, dx) * 180 / pi;
            const double turn = std::fmod(360 - degrees, 360) * lineCount / 180;
            const int direction = int(std::lround(turn)) % (2 * lineCount);
            const bool firstHalf = direction < lineCount;
            const int line = firstHalf ? direction : direction - lineCount;
            const int led = firstHalf ? distance : halfLine + distance;
            if (led >= ledpcs)
                continue;
            ledOfPixel[y * discSide + x] = line * lineLeds + led;
        }
    }
}

void FanDiscMap::paint(QImage& target, const QPoint& at, const QVector<QByteArray>& colours) const
{
    if (colours.size() < lines)
        return;
    const int firstRow = qMax(0, -at.y());
    const int lastRow = qMin(discSide, target.height() - at.y());
    const int firstColumn = qMax(0, -at.x());
    const int lastColumn = qMin(discSide, target.width() - at.x());

    // Where every line carries all its LEDs (every blade of an even count), the colours go
    // into one block first, so that a pixel's LED is one index instead of a division.
    const int lineBytes = 3 * lineLeds;
    bool whole = true;
    for (int k = 0; k < lines && whole; ++k)
        whole = colours.at(k).size() >= lineBytes;
    if (whole) {
        std::vector<uchar> block(size_t(lines) * size_t(lineBytes));
        for (int k = 0; k < lines; ++k)
            std::memcpy(block.data() + size_t(k) * size_t(lineBytes), colours.at(k).constData(),
                        size_t(lineBytes));
        for (int y = firstRow; y < lastRow; ++y) {
            uchar* row = target.scanLine(at.y() + y) + 3 * at.x();
            const int* map = ledOfPixel.constData() + y * discSide;
            for (int x = firstColumn; x < lastColumn; ++x) {
                if (map[x] >= 0)
                    std::memcpy(row + 3 * x, block.data() + 3 * size_t(map[x]), 3);
            }
        }
        return;
    }

    for (int y = firstRow; y < lastRow; ++y) {
        uchar* row = target.scanLine(at.y() + y) + 3 * at.x();
        const int* map = ledOfPixel.constData() + y * discSide;
        for (int x = firstColumn; x < lastColumn; ++x) {
            const int slot = map[x];
            if (slot < 0)
                continue;
            const QByteArray& line = colours.at(slot / lineLeds);
            const int offset = 3 * (slot % lineLeds);
            if (offset + 3 <= line.size())
                std::memcpy(row + 3 * x, line.constData() + offset, 3);
        }
    }
}

QImage FanDiscMap::render(const QVector<QByteArray>& colours) const
{
    if (discSide == 0)
        return QImage();
    QImage disc(discSide, discSide, QImage::Format_RGB888);
    disc.fill(Qt::black);
    paint(disc, QPoint(0, 0), colours);
    return disc;
}
