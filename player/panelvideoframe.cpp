#include "panelvideoframe.h"

#include "bt601.h"
#include "fan.h"
#include "fanview.h"
#include "panel.h"
#include "yuvconverter.h"

#include <QPainter>

#include <cstring>

namespace {

QVector<int> lineCountsOf(const QVector<FanFrameLines>& fans)
{
    QVector<int> counts;
    counts.reserve(fans.size());
    for (const FanFrameLines& fan : fans)
        counts.append(fan.lines.size());
    return counts;
}

// Where the panel's picture lies in a frame of `size`: centred, as a picture of another size
// than the video's is placed on black.
QPoint pictureCorner(const QSize& picture, const QSize& size)
{
    if (picture == size)
        return QPoint(0, 0);
    return QPoint((size.width() - picture.width()) / 2, (size.height() - picture.height()) / 2);
}

} // namespace

void PanelVideoFrame::paintReference(const Panel& panel, const QVector<FanFrameLines>& fans,
                                     const YuvPlanes& planes)
{
    QImage frame(planes.size, QImage::Format_RGB888);
    frame.fill(Qt::black);
    const QImage picture = pictures.paint(panel, fans, planes.size);
    if (!picture.isNull()) {
        QPainter canvas(&frame);
        canvas.drawImage(pictureCorner(picture.size(), planes.size), picture);
    }
    YuvConverter::convertRgb24(frame, planes);
}

void PanelVideoFrame::paint(const Panel& panel, const QVector<FanFrameLines>& fans,
                            const YuvPlanes& planes)
{
    if (!prepare(panel, fans, planes.size) || !fillPalette(panel, fans))
        return paintReference(panel, fans, planes);

    const int width = planes.size.width();
    const int32_t* entries = entryOfPixel.data();
    const uint8_t* luma = paletteLuma.data();
    const ColourTerms* terms = paletteTerms.data();
    for (int y = 0; y < planes.size.height(); ++y) {
        uint8_t* row = planes.luma + ptrdiff_t(y) * planes.lumaStride;
        const int32_t* entry = entries + ptrdiff_t(y) * width;
        for (int x = 0; x < width; ++x)
            row[x] = luma[entry[x]];
    }
    for (int y = 0; y + 1 < planes.size.height(); y += 2) {
        uint8_t* blue = planes.blue + ptrdiff_t(y / 2) * planes.chromaStride;
        uint8_t* red = planes.red + ptrdiff_t(y / 2) * planes.chromaStride;
        const int32_t* top = entries + ptrdiff_t(y) * width;
        const int32_t* bottom = top + width;
        for (int x = 0; x < width / 2; ++x) {
            const ColourTerms& a = terms[top[2 * x]];
            const ColourTerms& b = terms[top[2 * x + 1]];
            const ColourTerms& c = terms[bottom[2 * x]];
            const ColourTerms& d = terms[bottom[2 * x + 1]];
            blue[x] = uint8_t((a.blue + b.blue + c.blue + d.blue + bt601::chromaOffset) >>
                              bt601::chromaShift);
            red[x] = uint8_t((a.red + b.red + c.red + d.red + bt601::chromaOffset) >>
                             bt601::chromaShift);
        }
    }
}

// The layout depends on the panel, the frame's size and the lines each fan's data has; it is
// worked out again only when one of them changes.
bool PanelVideoFrame::prepare(const Panel& panel, const QVector<FanFrameLines>& fans,
                              const QSize& size)
{
    const QVector<int> lineCounts = lineCountsOf(fans);
    if (layoutPanel == &panel && layoutSize == size && layoutLines == lineCounts)
        return !entryOfPixel.empty();
    layoutPanel = &panel;
    layoutSize = size;
    layoutLines = lineCounts;
    entryOfPixel.assign(size_t(size.width()) * size_t(size.height()), 0);
    firstSlot.fill(-1, fans.size());
    slotsPerLine.fill(0, fans.size());

    const QRect rect = FanViewPicture::panelRect(panel, size);
    const QPoint corner = pictureCorner(rect.size(), size);
    int slotCount = 1; // slot 0 is black
    for (const FanViewPicture::Disc& disc : pictures.discs(panel, lineCounts, size)) {
        const FanDiscMap& map = *disc.map;
        if (firstSlot.at(disc.fan) < 0) {
            firstSlot[disc.fan] = slotCount;
            slotsPerLine[disc.fan] = map.slotsPerLine();
            slotCount += map.lineCount() * map.slotsPerLine();
        }
        // Each pixel takes its slot first; the slots become entries below.
        const int base = firstSlot.at(disc.fan);
        // The disc is clipped to the panel's picture, as painting it there clips it.
        const int firstRow = qMax(0, -disc.corner.y());
        const int lastRow = qMin(map.side(), rect.height() - disc.corner.y());
        const int firstColumn = qMax(0, -disc.corner.x());
        const int lastColumn = qMin(map.side(), rect.width() - disc.corner.x());
        const int* discSlots = map.pixelSlots().constData();
        for (int y = firstRow; y < lastRow; ++y) {
            int32_t* row = entryOfPixel.data() +
                           ptrdiff_t(corner.y() + disc.corner.y() + y) * size.width() + corner.x() +
                           disc.corner.x();
            const int* slot = discSlots + ptrdiff_t(y) * map.side();
            for (int x = firstColumn; x < lastColumn; ++x) {
                if (slot[x] >= 0)
                    row[x] = base + slot[x];
            }
        }
    }
    // The entries numbered in the order the rows meet them, so that neighbouring pixels read
    // neighbouring entries (numbered by blade position, they lie a line's length apart), and
    // LEDs no pixel shows are left out.
    std::vector<int32_t> renumbered(size_t(slotCount), -1);
    renumbered[0] = 0;
    slotOfEntry.assign(1, 0);
    for (int32_t& entry : entryOfPixel) {
        int32_t& number = renumbered[size_t(entry)];
        if (number < 0) {
            number = int32_t(slotOfEntry.size());
            slotOfEntry.push_back(entry);
        }
        entry = number;
    }
    slotColours.assign(3 * size_t(slotCount), 0);
    paletteLuma.assign(slotOfEntry.size(), uint8_t(bt601::lumaOffset >> bt601::lumaShift));
    paletteTerms.assign(slotOfEntry.size(), ColourTerms{0, 0});
    return true;
}

// The LEDs' brightness and colour terms of this frame, from the colours the fan view paints:
// the colours of each fan's slots in one block first, then the entries in the pixels' order.
bool PanelVideoFrame::fillPalette(const Panel& panel, const QVector<FanFrameLines>& fans)
{
    using namespace bt601;
    for (int i = 0; i < fans.size() && i < firstSlot.size(); ++i) {
        if (firstSlot.at(i) < 0)
            continue;
        const FanFrameLines& data = fans.at(i);
        const int ledpcs = panel.fans.at(i)->ledpcs;
        const QVector<QByteArray> colours =
            ledColoursOfLines(data.lines, ledpcs, [&data](int k) { return data.swapped.value(k); });
        const int leds = slotsPerLine.at(i);
        if (colours.size() != layoutLines.at(i))
            return false;
        uint8_t* block = slotColours.data() + 3 * size_t(firstSlot.at(i));
        for (const QByteArray& line : colours) {
            // A line short of its slots leaves pixels unpainted, showing what lies beneath:
            // the picture is painted then.
            if (line.size() < 3 * leds)
                return false;
            std::memcpy(block, line.constData(), 3 * size_t(leds));
            block += 3 * size_t(leds);
        }
    }
    for (size_t entry = 1; entry < slotOfEntry.size(); ++entry) {
        const uint8_t* rgb = slotColours.data() + 3 * size_t(slotOfEntry[entry]);
        const int32_t r = rgb[0], g = rgb[1], b = rgb[2];
        paletteLuma[entry] =
            uint8_t((lumaRed * r + lumaGreen * g + lumaBlue * b + lumaOffset) >> lumaShift);
        paletteTerms[entry] = {blueRed * r + blueGreen * g + blueBlue * b,
                               redRed * r + redGreen * g + redBlue * b};
    }
    return true;
}
