#include "samplemap.h"

#include "bladetypes.h"
#include "fan.h"
#include "fanworkers.h"
#include "frontfanblending.h"
#include "panel.h"
#include "samplegather.h"
#include "sampling.h"
#include "scalemap.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

constexpr double twoPi = 6.283185307179586;

// Where the layer images' pixels come from: the selected region of the frame (QImage::copy,
// black outside the frame), enlarged or reduced by nearest neighbour.
struct LayerSource
{
    QRect region;        // the copied region, in frame pixels
    NearestScaleMap map; // layer pixel -> region pixel
};

inline double square(double value)
{
    return value * value;
}

// Where the blending of one front fan may paint: on layer 0 its disc, on layer 1 the ring
// between its inner and outer circle, each with a margin for the antialiased edges and the
// curves' flattening. Pixels elsewhere keep the scaled picture.
struct PaintedArea
{
    static constexpr double margin = 3;
    QRect bounds;       // nothing outside is touched
    bool whole = false; // no finer test: all of the bounds
    double cx = 0, cy = 0, outer = 0;
    double innerX = 0, innerY = 0, inner = 0;

    bool contains(int layer, int x, int y) const
    {
        if (!bounds.contains(x, y))
            return false;
        if (whole)
            return true;
        // Squared distances: the margin leaves room for any rounding.
        const double px = x + 0.5;
        const double py = y + 0.5;
        const double beyond = outer + margin;
        if (square(px - cx) + square(py - cy) > beyond * beyond)
            return false;
        const double within = std::max(0.0, inner - margin);
        return layer == 0 || square(px - innerX) + square(py - innerY) >= within * within;
    }
};

std::vector<PaintedArea> paintedAreas(const Panel& panel, QSize layerSize)
{
    std::vector<PaintedArea> areas;
    const QRect image(QPoint(0, 0), layerSize);
    for (const Fan* fan : panel.fans) {
        if (fan->z != 1)
            continue;
        // The shapes of the blending's painting.
        const auto [D, R, edge, left, top] = FrontFanGeometry(*fan, panel.edgeOffset);
        PaintedArea area;
        if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(D) ||
            std::abs(left) > 1e9 || std::abs(top) > 1e9 || std::abs(D) > 1e9) {
            area.bounds = image; // no telling where the painter goes: all of it
            area.whole = true;
            areas.push_back(area);
            continue;
        }
        const QRectF circle = QRectF(left, top, D, D).normalized();
        area.bounds = QRect(QPoint(int(std::floor(circle.left() - area.margin)),
                                   int(std::floor(circle.top() - area.margin))),
                            QPoint(int(std::ceil(circle.right() + area.margin)),
                                   int(std::ceil(circle.bottom() + area.margin))))
                          .intersected(image);
        if (area.bounds.isEmpty())
            continue;
        area.whole = D <= 0 || edge < 0 || edge >= D;
        area.cx = left + R;
        area.cy = top + R;
        area.outer = R;
        area.innerX = left + edge / 2 + 0.5 * (D - edge);
        area.innerY = top + edge / 2 + 0.5 * (D - edge);
        area.inner = 0.5 * (D - edge);
        areas.push_back(area);
    }
    return areas;
}

// How many of the front fans' blendings may paint pixel (x, y) of a layer.
int paintings(const std::vector<PaintedArea>& areas, int layer, int x, int y)
{
    int count = 0;
    for (const PaintedArea& area : areas)
        count += area.contains(layer, x, y) ? 1 : 0;
    return count;
}

// Groups of samples, each summed by a loop of its own.
enum Group : std::uint8_t
{
    onePixel = 0, // the nine pixels of the block are one pixel of the frame
                  // 1 ... 9: that many pixels of the frame, with weights
    rows = 10,    // 10 + p: three rows of the frame, in row pattern p (stepPattern), at
                  // three columns each (gatherRowGroup)
    irregular = rows + stepPatterns, // painted pixels among them, or pixels at the very end
                                     // of the frame
    copied,                          // the very pixels of a sample before it: copied from it
    black = 255,                     // no pixel at all: not summed
};

// The pixels one sample reads, each with its weight out of 9.
struct Block
{
    int count = 0;
    std::int32_t keys[9];
    std::uint8_t weights[9];
    bool painted = false;
    // Whether a pixel lies so close to the end of the frame that reading 4 bytes from it would
    // leave the frame.
    bool nearEnd = false;
    // The frame pixels of the 3 x 3 block as they are visited, column by column.
    int visited = 0;
    std::int32_t pixels[9];

    void visit(std::int32_t frameOffset)
    {
        pixels[visited++] = frameOffset; // a block has nine pixels at the most
        add(frameOffset);
    }

    // Whether the block is three rows of the frame read at the same three columns, each row
    // readable as 16 bytes before `frameBytes`: then its first pixel and its patterns of
    // columns and rows.
    bool inRows(qint64 frameBytes, int bytesPerLine, std::int32_t* first,
                std::uint8_t* columnPattern, std::uint8_t* rowPattern) const
    {
        // A block of one pixel is that pixel: copied, not summed.
        if (painted || visited != 9 || count == 1)
            return false;
        // Pixel (i, j) is the one of column i and row j: pixels[3 i + j].
        int columns[3];
        int rows[3];
        for (int n = 0; n < 3; ++n) {
            const std::int32_t right = pixels[3 * n] - pixels[0];
            const std::int32_t down = pixels[n] - pixels[0];
            if (right < 0 || right > 3 * rowStepsMost || right % 3 != 0 ||
                pixels[n] + qint64(16) > frameBytes)
                return false;
            columns[n] = right / 3;
            rows[n] = 0;
            while (rows[n] <= rowStepsMost && rows[n] * bytesPerLine < down)
                ++rows[n];
            if (rows[n] > rowStepsMost || rows[n] * bytesPerLine != down)
                return false;
            for (int j = 1; j < 3; ++j) {
                if (pixels[3 * n + j] - pixels[j] != right)
                    return false;
            }
        }
        *first = pixels[0];
        *columnPattern = stepPattern(columns[1], columns[2]);
        *rowPattern = stepPattern(rows[1], rows[2]);
        return true;
    }

    void add(std::int32_t key)
    {
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
    std::uint8_t group() const
    {
        if (count == 0)
            return black;
        if (painted || nearEnd)
            return irregular;
        return count == 1 && weights[0] == 9 ? std::uint8_t(onePixel) : std::uint8_t(count);
    }
};

// The blocks of all samples of a fan, in line order, while the map is worked out.
struct Blocks
{
    std::vector<std::uint8_t> groups;
    std::vector<std::uint32_t> starts; // first entry of each sample, then the end
    std::vector<std::int32_t> keys;    // of a copied sample: the sample it is copied from
    std::vector<std::uint8_t> weights;
    // The samples that others may be copied from, open-addressed by a hash of their entries
    // (sample + 1; 0 is free).
    std::vector<std::uint32_t> firstOfKind;

    // `repeatable`: how many samples may be copies.
    Blocks(size_t samples, size_t repeatable)
    {
        groups.reserve(samples);
        starts.reserve(samples + 1);
        starts.push_back(0);
        keys.reserve(2 * samples);
        weights.reserve(2 * samples);
        size_t tableSize = 16;
        while (tableSize < 2 * repeatable)
            tableSize *= 2;
        firstOfKind.assign(tableSize, 0);
    }
    // `mayRepeat`: whether the block may read the very pixels of one before it.
    void append(const Block& block, qint64 frameBytes, int bytesPerLine, bool mayRepeat)
    {
        std::int32_t first;
        std::uint8_t columnPattern, rowPattern;
        if (block.inRows(frameBytes, bytesPerLine, &first, &columnPattern, &rowPattern)) {
            // Its first pixel, "weighed" by its column pattern.
            groups.push_back(std::uint8_t(rows + rowPattern));
            keys.push_back(first);
            weights.push_back(columnPattern);
        } else {
            groups.push_back(block.group());
            keys.insert(keys.end(), block.keys, block.keys + block.count);
            weights.insert(weights.end(), block.weights, block.weights + block.count);
        }
        starts.push_back(std::uint32_t(keys.size()));
        if (mayRepeat && groups.back() != black && groups.back() != irregular)
            copyIfRepeated();
    }

private:
    // Turns the last sample into a copy where a sample before it has the same entries.
    void copyIfRepeated()
    {
        const std::uint32_t sample = std::uint32_t(groups.size() - 1);
        const std::uint32_t begin = starts[sample];
        const std::uint32_t end = starts[sample + 1];
        std::uint64_t hash = 1469598103934665603ull ^ groups[sample];
        for (std::uint32_t e = begin; e < end; ++e) {
            hash = (hash ^ std::uint32_t(keys[e])) * 1099511628211ull;
            hash = (hash ^ weights[e]) * 1099511628211ull;
        }
        const size_t mask = firstOfKind.size() - 1;
        size_t slot = size_t(hash ^ (hash >> 29)) & mask;
        for (; firstOfKind[slot] != 0; slot = (slot + 1) & mask) {
            const std::uint32_t other = firstOfKind[slot] - 1;
            const std::uint32_t otherBegin = starts[other];
            if (groups[other] == groups[sample] && starts[other + 1] - otherBegin == end - begin &&
                std::equal(keys.begin() + begin, keys.begin() + end, keys.begin() + otherBegin) &&
                std::equal(weights.begin() + begin, weights.begin() + end,
                           weights.begin() + otherBegin)) {
                groups[sample] = copied;
                keys.resize(begin);
                weights.resize(begin);
                keys.push_back(std::int32_t(other));
                weights.push_back(0);
                starts[sample + 1] = std::uint32_t(keys.size());
                return;
            }
        }
        // Every repeatable sample takes at most one slot: there are free ones left.
        firstOfKind[slot] = sample + 1;
    }
};

// How far from the hub samples are looked up among those before them. Beyond, samples no
// longer read the same pixels of the layer: samples at distance d on half-lines
// 180 / lines degrees apart lie at least 2 d sin(90 / lines degrees) units apart, samples
// reading the same columns and rows of the layer (3 pixels a unit) less than sqrt(2) / 3,
// and samples at different distances at least a unit apart. (Where the picture is
// enlarged, samples farther out may still read the same pixels of the frame; copying them
// saves too little to look for them.)
int repeatReach(int lines)
{
    const double pi = twoPi / 2;
    return int(std::ceil(std::sqrt(2.0) / (6 * std::sin(pi / (2 * std::max(1, lines)))))) + 2;
}

// The region that the straightforward version copies out of the frame: the selected region,
// or the whole frame for a null rectangle.
QRect copiedRegion(const Panel& panel, QSize frameSize)
{
    const QRect region = selectedRegion(panel.selection);
    return region.isNull() ? QRect(QPoint(0, 0), frameSize) : region;
}

} // namespace

QSize SampleMap::layerSizeFor(const Panel& panel, QSize frameSize)
{
    // copy() of the region, then scaled() to W x H; either may come out null.
    const QRect region = copiedRegion(panel, frameSize);
    const QSize size = layerImageSize(panel);
    const bool layersExist =
        !frameSize.isEmpty() && region.width() > 0 && region.height() > 0 && !size.isEmpty();
    return layersExist ? size : QSize(0, 0);
}

SampleMap::SampleMap(const Panel& panel, QSize frameSize, int frameBytesPerLine,
                     FanWorkers* workers, VectorKernel kernel)
    : m_kernel(usableHere(kernel)), m_frameSize(frameSize), m_frameBytesPerLine(frameBytesPerLine),
      m_layerSize(layerSizeFor(panel, frameSize))
{
    static_assert(groupCount == copied + 1, "every group but black has its count");
    const QRect region = copiedRegion(panel, frameSize);
    const QSize size = m_layerSize;
    const bool layersExist = !size.isEmpty();
    LayerSource source;
    if (layersExist)
        source = {region, NearestScaleMap(region.size(), size)};

    const std::vector<PaintedArea> areas =
        layersExist ? paintedAreas(panel, size) : std::vector<PaintedArea>();
    std::unordered_map<qint64, std::int32_t> paintedIndex[2];

    const double W = m_layerSize.width();
    const double H = m_layerSize.height();
    const qint64 layerLine = layerBytesPerLine();
    const qint64 frameBytes = qint64(frameBytesPerLine) * frameSize.height();

    // The byte offset in the frame that layer pixel (x, y) is scaled from, or -1 where the
    // layer is black: outside the frame, or beyond what the scaling paints.
    auto frameOffsetOf = [&](int x, int y) -> std::int32_t {
        if (!source.map.covers(x, y))
            return -1;
        const int fx = source.region.x() + source.map.column(x, y);
        const int fy = source.region.y() + source.map.row(x, y);
        if (fx < 0 || fy < 0 || fx >= frameSize.width() || fy >= frameSize.height())
            return -1;
        return std::int32_t(fy * frameBytesPerLine + 3 * fx);
    };
    // The painted pixel that layer pixel (x, y) is, if the blending may paint it.
    auto paintedIndexOf = [&](int layer, int x, int y, std::int32_t frameOffset) {
        const int times = areas.empty() ? 0 : paintings(areas, layer, x, y);
        if (times == 0)
            return -1;
        const qint64 layerOffset = y * layerLine + 3 * qint64(x);
        auto found = paintedIndex[layer].find(layerOffset);
        if (found == paintedIndex[layer].end()) {
            found = paintedIndex[layer]
                        .emplace(layerOffset, std::int32_t(m_painted[layer].size()))
                        .first;
            m_painted[layer].push_back({layerOffset, frameOffset});
            m_paintedOverAgain[layer] = m_paintedOverAgain[layer] || times > 1;
        }
        return found->second;
    };
    // The block of the sample at (X, Y) panel units on a layer, as samplePixelBlock reads it.
    auto blockAt = [&](int layer, double X, double Y) {
        Block block;
        visitPixelBlock(X, Y, W, H, [&](int x, int y) {
            const std::int32_t frameOffset = frameOffsetOf(x, y);
            const int painted = paintedIndexOf(layer, x, y, frameOffset);
            if (painted >= 0) {
                block.add(~(3 * painted));
                block.painted = true;
            } else if (frameOffset >= 0) {
                block.visit(frameOffset);
                block.nearEnd = block.nearEnd || frameOffset + 4 > frameBytes;
            }
        });
        return block;
    };

    m_fans.resize(size_t(panel.fans.size()));
    auto buildFan = [&](int f) {
        const Fan& fan = *panel.fans.at(f);
        FanSamples& samples = m_fans[size_t(f)];
        samples.layer = fan.z == 0 ? 0 : 1;
        samples.lines = bladeType(fan.ledpcs).linesPerFrame;
        samples.samplesPerLine = 2 * halfLineLength(fan.ledpcs);
        // The angles and points of sampleLines and sampleHalfLine, expression for expression.
        const int L = samples.lines;
        const double ledpcs = fan.ledpcs;
        const int reach = repeatReach(L);
        Blocks blocks(size_t(L) * size_t(samples.samplesPerLine),
                      2 * size_t(L) * size_t(std::min(reach, samples.samplesPerLine)));
        for (int k = 0; k < L; ++k) {
            const double theta = (double(-k) / L) * 180;
            for (const double angle : {theta, theta + 180}) {
                const double phi = angle / 360 * twoPi;
                const double cosine = std::cos(phi);
                const double sine = std::sin(phi);
                for (int d = 0; d < ledpcs * 0.5; ++d)
                    blocks.append(blockAt(samples.layer, cosine * double(d) + fan.x,
                                          sine * double(d) + fan.y),
                                  frameBytes, frameBytesPerLine, d < reach);
            }
        }
        samples.addBlocks(blocks, frameSize.height(), frameBytesPerLine, m_painted[samples.layer]);
    };
    // The fans are worked out in parallel, unless they share the list of painted pixels.
    if (workers && areas.empty()) {
        workers->run(panel.fans.size(), buildFan);
    } else {
        for (int f = 0; f < panel.fans.size(); ++f)
            buildFan(f);
    }

    // The painted pixels are filled in and read back front to back through the layer.
    for (int layer = 0; layer < 2; ++layer) {
        std::vector<PaintedPixel>& list = m_painted[layer];
        std::vector<std::int32_t> order(list.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = std::int32_t(i);
        std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
            return list[size_t(a)].layerOffset < list[size_t(b)].layerOffset;
        });
        std::vector<std::int32_t> place(list.size());
        std::vector<PaintedPixel> sorted(list.size());
        for (size_t i = 0; i < order.size(); ++i) {
            place[size_t(order[i])] = std::int32_t(i);
            sorted[i] = list[size_t(order[i])];
        }
        list.swap(sorted);
        for (FanSamples& samples : m_fans) {
            if (samples.layer != layer)
                continue;
            for (std::int32_t& key : samples.offsets) {
                if (key < 0)
                    key = ~(3 * place[size_t(~key / 3)]);
            }
        }
    }
}

template <typename Blocks>
void SampleMap::FanSamples::addBlocks(Blocks& blocks, int frameRows, int frameBytesPerLine,
                                      const std::vector<PaintedPixel>& painted)
{
    // Black samples need no entry; the others by group, and within a group row by row through
    // the frame, so that the frame is read front to back.
    // A counting sort by group and by the frame row of the first pixel (for a painted pixel,
    // of the pixel it is scaled from; pixels outside the frame first): linear in the samples.
    const std::uint32_t rowBuckets = std::uint32_t(frameRows) + 1;
    auto bucketOf = [&](size_t sample) {
        std::int32_t first = blocks.keys[blocks.starts[sample]];
        if (first < 0 && blocks.groups[sample] != copied)
            first = painted[size_t(~first / 3)].frameOffset;
        const std::uint32_t row = first < 0 || blocks.groups[sample] == copied
                                      ? 0
                                      : std::uint32_t(first / frameBytesPerLine) + 1;
        return size_t(blocks.groups[sample]) * rowBuckets + std::min(row, rowBuckets - 1);
    };
    std::vector<std::uint32_t> bucketStart(size_t(groupCount) * rowBuckets + 1, 0);
    std::vector<std::uint32_t> buckets(blocks.groups.size());
    for (size_t i = 0; i < blocks.groups.size(); ++i) {
        if (blocks.groups[i] != black) {
            buckets[i] = std::uint32_t(bucketOf(i));
            ++bucketStart[buckets[i] + 1];
        }
    }
    for (size_t b = 1; b < bucketStart.size(); ++b)
        bucketStart[b] += bucketStart[b - 1];
    std::vector<std::uint32_t> order(bucketStart.back());
    for (size_t i = 0; i < blocks.groups.size(); ++i) {
        if (blocks.groups[i] != black)
            order[bucketStart[buckets[i]]++] = std::uint32_t(i);
    }
    positions.reserve(order.size());
    offsets.reserve(blocks.keys.size());
    weights.reserve(blocks.keys.size());
    // Groups 0 ... 9 in the block layout that the gather loops read (samplegather.h).
    size_t next = 0;
    while (next < order.size()) {
        const int group = blocks.groups[order[next]];
        size_t end = next;
        while (end < order.size() && blocks.groups[order[end]] == group)
            ++end;
        groupSizes[size_t(group)] = int(end - next);
        const size_t lanes = gatherLanes;
        const size_t wholeBlocks = group >= rows ? 0 : (end - next) / lanes;
        for (size_t b = 0; b < wholeBlocks; ++b) {
            const size_t first = next + b * lanes;
            for (std::uint32_t e = 0; e < std::uint32_t(entriesPerSample(group)); ++e) {
                for (size_t lane = 0; lane < lanes; ++lane) {
                    const std::uint32_t entry = blocks.starts[order[first + lane]] + e;
                    offsets.push_back(blocks.keys[entry]);
                    weights.push_back(blocks.weights[entry]);
                }
            }
            for (size_t lane = 0; lane < lanes; ++lane)
                positions.push_back(3 * order[first + lane]);
        }
        for (size_t i = next + wholeBlocks * lanes; i < end; ++i) {
            const std::uint32_t sample = order[i];
            if (group == copied) {
                copies.push_back(
                    {3 * sample, 3 * std::uint32_t(blocks.keys[blocks.starts[sample]])});
                continue;
            }
            positions.push_back(3 * sample);
            const std::uint32_t begin = blocks.starts[sample];
            const std::uint32_t stop = blocks.starts[sample + 1];
            offsets.insert(offsets.end(), blocks.keys.begin() + begin, blocks.keys.begin() + stop);
            weights.insert(weights.end(), blocks.weights.begin() + begin,
                           blocks.weights.begin() + stop);
            if (group == irregular)
                irregularCounts.push_back(std::uint8_t(stop - begin));
        }
        next = end;
    }
}

PixelRuns SampleMap::framePixelsRead(int join) const
{
    std::vector<std::uint8_t> marks(size_t(m_frameSize.width()) * size_t(m_frameSize.height()));
    const int line = m_frameBytesPerLine;
    auto mark = [&](std::int32_t offset) {
        marks[size_t(offset / line) * size_t(m_frameSize.width()) + size_t(offset % line / 3)] = 1;
    };
    for (const FanSamples& samples : m_fans) {
        // The entries lie group by group, in the order addBlocks() wrote them.
        const std::int32_t* entry = samples.offsets.data();
        const std::uint8_t* weight = samples.weights.data();
        for (int group = onePixel; group < rows; ++group) {
            const int entries = samples.groupSizes[size_t(group)] * entriesPerSample(group);
            for (int e = 0; e < entries; ++e)
                mark(*entry++);
            weight += entries;
        }
        for (int pattern = 0; pattern < stepPatterns; ++pattern) {
            const int rowSteps[3] = {0, secondStep(pattern), thirdStep(pattern)};
            for (int s = 0; s < samples.groupSizes[size_t(rows + pattern)]; ++s) {
                const int columnSteps[3] = {0, secondStep(*weight), thirdStep(*weight)};
                for (const int down : rowSteps) {
                    for (const int right : columnSteps)
                        mark(*entry + down * line + 3 * right);
                }
                ++entry;
                ++weight;
            }
        }
        const std::vector<PaintedPixel>& painted = m_painted[samples.layer];
        for (const std::uint8_t count : samples.irregularCounts) {
            for (int e = 0; e < count; ++e, ++entry) {
                const std::int32_t offset =
                    *entry >= 0 ? *entry : painted[size_t(~*entry / 3)].frameOffset;
                if (offset >= 0)
                    mark(offset);
            }
        }
    }
    return pixelRunsOf(marks, m_frameSize, join);
}

int SampleMap::fanBytes(int fan) const
{
    const FanSamples& samples = m_fans[size_t(fan)];
    return 3 * samples.samplesPerLine * samples.lines;
}

void SampleMap::gatherFan(int fan, const uchar* frame, const uchar* painted, uchar* out) const
{
    const FanSamples& samples = m_fans[size_t(fan)];
    GatherCursor cursor{samples.positions.data(), samples.offsets.data(), samples.weights.data()};
    for (int group = onePixel; group < rows; ++group)
        gatherGroup(m_kernel, group, samples.groupSizes[size_t(group)], cursor, frame, out);
    for (int pattern = 0; pattern < stepPatterns; ++pattern)
        gatherRowGroup(m_kernel, samples.groupSizes[size_t(rows + pattern)], cursor, frame,
                       secondStep(pattern) * m_frameBytesPerLine,
                       thirdStep(pattern) * m_frameBytesPerLine, out);
    gatherEachSample(samples.groupSizes[irregular], samples.irregularCounts.data(), cursor, frame,
                     painted, out);
    for (const SampleCopy& copy : samples.copies)
        std::memcpy(out + copy.to, out + copy.from, 3);
}
