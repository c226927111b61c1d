#include "samplemap.h"

#include "bladetypes.h"
#include "fan.h"
#include "panel.h"
#include "sampling.h"
#include "scalemap.h"

#include <QRectF>

#include <cmath>
#include <unordered_map>

namespace {

constexpr double twoPi = 6.283185307179586;
constexpr int blockSide = int(imageScale);

// Where the layer images' pixels come from: the selected region of the frame (QImage::copy,
// black outside the frame), enlarged or reduced by nearest neighbour.
struct LayerSource
{
    QRect region;        // the copied region, in frame pixels
    NearestScaleMap map; // layer pixel -> region pixel
};

// The regions the front-fan blending may paint: each front fan's circle and a margin for
// its antialiased edge.
std::vector<QRect> paintedRegions(const Panel& panel, QSize layerSize)
{
    std::vector<QRect> regions;
    const QRect image(QPoint(0, 0), layerSize);
    for (const Fan* fan : panel.fans) {
        if (fan->z != 1)
            continue;
        const double D = imageScale * fan->diameter;
        const double left = imageScale * fan->x - 0.5 * D;
        const double top = imageScale * fan->y - 0.5 * D;
        const QRectF circle = QRectF(left, top, D, D).normalized();
        if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(D) ||
            std::abs(left) > 1e9 || std::abs(top) > 1e9 || std::abs(D) > 1e9) {
            regions.push_back(image); // no telling where the painter goes: all of it
            continue;
        }
        const QRect covered(QPoint(int(std::floor(circle.left())) - 2,
                                   int(std::floor(circle.top())) - 2),
                            QPoint(int(std::ceil(circle.right())) + 2,
                                   int(std::ceil(circle.bottom())) + 2));
        const QRect inside = covered.intersected(image);
        if (!inside.isEmpty())
            regions.push_back(inside);
    }
    return regions;
}

constexpr int prefetchDistance = 24;

inline void prefetch(std::int32_t offset, const uchar* frame, const uchar* painted)
{
#if defined(__GNUC__)
    __builtin_prefetch(offset >= 0 ? frame + offset : painted + ~offset);
#else
    Q_UNUSED(offset);
    Q_UNUSED(frame);
    Q_UNUSED(painted);
#endif
}

bool insideAny(const std::vector<QRect>& regions, int x, int y)
{
    for (const QRect& region : regions) {
        if (region.contains(x, y))
            return true;
    }
    return false;
}

} // namespace

namespace {

// The region that the straightforward version copies out of the frame: the rounded selection,
// or the whole frame for a null rectangle.
QRect copiedRegion(const Panel& panel, QSize frameSize)
{
    const QRect region = panel.selection.toRect();
    return region.isNull() ? QRect(QPoint(0, 0), frameSize) : region;
}

} // namespace

QSize SampleMap::layerSizeFor(const Panel& panel, QSize frameSize)
{
    // copy() of the region, then scaled() to W x H; either may come out null.
    const QRect region = copiedRegion(panel, frameSize);
    const QSize size = layerImageSize(panel);
    const bool layersExist = !frameSize.isEmpty() && region.width() > 0 && region.height() > 0 &&
                             !size.isEmpty();
    return layersExist ? size : QSize(0, 0);
}

SampleMap::SampleMap(const Panel& panel, QSize frameSize, int frameBytesPerLine)
    : m_frameSize(frameSize), m_frameBytesPerLine(frameBytesPerLine),
      m_layerSize(layerSizeFor(panel, frameSize))
{
    const QRect region = copiedRegion(panel, frameSize);
    const QSize size = m_layerSize;
    const bool layersExist = !size.isEmpty();
    LayerSource source;
    if (layersExist)
        source = {region, NearestScaleMap(region.size(), size)};

    bool hasFrontFan = false;
    for (const Fan* fan : panel.fans)
        hasFrontFan = hasFrontFan || fan->z == 1;
    const std::vector<QRect> painted =
        layersExist && hasFrontFan ? paintedRegions(panel, size) : std::vector<QRect>();
    std::unordered_map<qint64, std::int32_t> paintedIndex[2];

    const QRect frameRect(QPoint(0, 0), frameSize);
    const double W = m_layerSize.width();
    const double H = m_layerSize.height();
    const qint64 layerLine = layerBytesPerLine();

    m_fans.resize(size_t(panel.fans.size()));
    for (int f = 0; f < panel.fans.size(); ++f) {
        const Fan& fan = *panel.fans.at(f);
        FanSamples& samples = m_fans[size_t(f)];
        samples.layer = fan.z == 0 ? 0 : 1;
        const int L = bladeType(fan.ledpcs).linesPerFrame;
        const int n = halfLineLength(fan.ledpcs);
        samples.samplesPerLine = 2 * n;
        samples.lineStart.reserve(size_t(L) + 1);
        samples.counts.reserve(size_t(L) * size_t(2 * n));
        samples.offsets.reserve(size_t(L) * size_t(2 * n) * 2);
        samples.weights.reserve(size_t(L) * size_t(2 * n) * 2);
        const double ledpcs = fan.ledpcs;

        for (int k = 0; k < L; ++k) {
            samples.lineStart.push_back(std::uint32_t(samples.offsets.size()));
            const double theta = (double(-k) / L) * 180;
            for (const double angle : {theta, theta + 180}) {
                const double phi = angle / 360 * twoPi;
                const double cosine = std::cos(phi);
                const double sine = std::sin(phi);
                for (int d = 0; d < ledpcs * 0.5; ++d) {
                    const double X = cosine * double(d) + fan.x;
                    const double Y = sine * double(d) + fan.y;
                    std::int32_t keys[9];
                    std::uint8_t weights[9];
                    int count = 0;
                    if (X <= W && Y <= H && X > 0 && Y > 0) {
                        for (int i = 0; i < blockSide; ++i) {
                            for (int j = 0; j < blockSide; ++j) {
                                const int col = int(imageScale * X + i);
                                const int row = int(imageScale * Y + j);
                                if (col > W || row > H || col <= 0 || row <= 0)
                                    continue;
                                const int x = col - 1;
                                const int y = row - 1;
                                // Pixels the scaling does not paint stay black, like the
                                // part of the copy outside the frame.
                                const bool covered = source.map.covers(x, y);
                                const int fx =
                                    covered ? source.region.x() + source.map.column(x, y) : -1;
                                const int fy =
                                    covered ? source.region.y() + source.map.row(x, y) : -1;
                                const bool inFrame = covered && frameRect.contains(fx, fy);
                                const std::int32_t frameOffset =
                                    inFrame ? std::int32_t(fy * frameBytesPerLine + 3 * fx) : -1;
                                std::int32_t key;
                                if (!painted.empty() && insideAny(painted, x, y)) {
                                    const qint64 layerOffset = y * layerLine + 3 * qint64(x);
                                    auto& index = paintedIndex[samples.layer];
                                    auto found = index.find(layerOffset);
                                    if (found == index.end()) {
                                        auto& list = m_painted[samples.layer];
                                        found = index.emplace(layerOffset,
                                                              std::int32_t(list.size()))
                                                    .first;
                                        list.push_back({layerOffset, frameOffset});
                                    }
                                    key = ~(3 * found->second);
                                } else if (inFrame) {
                                    key = frameOffset;
                                } else {
                                    continue; // black
                                }
                                int e = 0;
                                while (e < count && keys[e] != key)
                                    ++e;
                                if (e == count) {
                                    keys[count] = key;
                                    weights[count] = 0;
                                    ++count;
                                }
                                ++weights[e];
                            }
                        }
                    }
                    samples.counts.push_back(std::uint8_t(count));
                    samples.offsets.insert(samples.offsets.end(), keys, keys + count);
                    samples.weights.insert(samples.weights.end(), weights, weights + count);
                }
            }
        }
        samples.lineStart.push_back(std::uint32_t(samples.offsets.size()));
        samples.offsets.shrink_to_fit();
        samples.weights.shrink_to_fit();
    }
}

void SampleMap::gatherLine(int fan, int line, const uchar* frame, const uchar* painted,
                           uchar* out) const
{
    const FanSamples& samples = m_fans[size_t(fan)];
    const std::uint8_t* counts =
        samples.counts.data() + size_t(line) * size_t(samples.samplesPerLine);
    const std::int32_t* offsets = samples.offsets.data() + samples.lineStart[size_t(line)];
    const std::uint8_t* weights = samples.weights.data() + samples.lineStart[size_t(line)];
    // The pixels lie all over the frame; ask for them well before they are summed.
    const std::int32_t* prefetched = offsets;
    const std::int32_t* const end = samples.offsets.data() + samples.lineStart[size_t(line) + 1];
    for (int i = 0; i < prefetchDistance && prefetched < end; ++i)
        prefetch(*prefetched++, frame, painted);
    for (int s = 0; s < samples.samplesPerLine; ++s) {
        unsigned sum0 = 0;
        unsigned sum1 = 0;
        unsigned sum2 = 0;
        for (int e = counts[s]; e > 0; --e) {
            if (prefetched < end)
                prefetch(*prefetched++, frame, painted);
            const std::int32_t offset = *offsets++;
            const unsigned weight = *weights++;
            const uchar* pixel = offset >= 0 ? frame + offset : painted + ~offset;
            sum0 += weight * pixel[0];
            sum1 += weight * pixel[1];
            sum2 += weight * pixel[2];
        }
        // Always out of 9: a block hanging over the picture's edge comes out darker.
        out[0] = uchar(sum0 / 9);
        out[1] = uchar(sum1 / 9);
        out[2] = uchar(sum2 / 9);
        out += 3;
    }
}
