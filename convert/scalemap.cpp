#include "scalemap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double fixedScale = 65536.0;

// The inverse of the paint engine's matrix: QTransform::fromScale(W / w, H / h), shifted by
// 1/65536 pixel before scaling, inverted the way QTransform inverts a scale.
struct InverseScale
{
    double m11 = 1, m22 = 1, dx = 0, dy = 0;
    // The matrix's zero entries take part in the paint engine's sums; keep them there.
    double m12 = 0, m21 = 0;
    bool fastMatrix = false;

    InverseScale(QSize source, QSize target)
    {
        const double sx = double(target.width()) / source.width();
        const double sy = double(target.height()) / source.height();
        const double shift = 1.0 / 65536;
        // delta * matrix: the shift, then the scale.
        const double shiftedDx = shift * sx + 0.0;
        const double shiftedDy = shift * sy + 0.0;
        m11 = 1. / sx;
        m22 = 1. / sy;
        dx = -shiftedDx * m11;
        dy = -shiftedDy * m22;
        const double f1 = m11 * m11 + m21 * m21;
        const double f2 = m12 * m12 + m22 * m22;
        fastMatrix = f1 < 1e4 && f2 < 1e4 && f1 > (1.0 / 65536) && f2 > (1.0 / 65536) &&
                     std::abs(dx) < 1e4 && std::abs(dy) < 1e4;
    }

    // Whether the piece of `length` pixels from centre (cx, cy) on runs in fixed point.
    bool fixedPointFits(double cx, double cy, qint64 length) const
    {
        if (!fastMatrix)
            return false;
        double fx = (m21 * cy + m11 * cx + dx) * fixedScale;
        double fy = (m22 * cy + m12 * cx + dy) * fixedScale;
        double minc = std::min(fx, fy);
        double maxc = std::max(fx, fy);
        fx += std::trunc(m11 * fixedScale) * length;
        fy += std::trunc(m12 * fixedScale) * length;
        minc = std::min(minc, std::min(fx, fy));
        maxc = std::max(maxc, std::max(fx, fy));
        return minc >= std::numeric_limits<int>::min() && maxc <= std::numeric_limits<int>::max();
    }
};

int clampTo(int v, int size)
{
    return std::clamp(v, 0, size - 1);
}

} // namespace

NearestScaleMap::NearestScaleMap(QSize source, QSize target)
{
    // scaled() hands back the image itself when the size does not change.
    m_identity = source == target;
    if (m_identity) {
        m_paintedWidth = target.width();
        m_paintedHeight = target.height();
        return;
    }

    const InverseScale inv(source, target);
    const int w = source.width();
    const int h = source.height();
    const int W = std::min(target.width(), paintLimit);
    const int H = std::min(target.height(), paintLimit);
    m_paintedWidth = W;
    m_paintedHeight = H;
    m_piecesPerRow = (W + piece - 1) / piece;
    m_fixedColumns.resize(size_t(W));
    m_floatColumns.resize(size_t(W));
    m_fixedRows.resize(size_t(H));
    m_floatRows.resize(size_t(H));
    m_fixedPieces.resize(size_t(H) * size_t(m_piecesPerRow));

    // The columns of a piece do not depend on the row (m21 is 0), nor the rows on the piece
    // (m12 is 0); only the choice of arithmetic depends on both.
    const double anyRow = 0.5;
    for (int x0 = 0; x0 < W; x0 += piece) {
        const int length = std::min(piece, W - x0);
        const double cx = x0 + 0.5;
        const int fdx = int(inv.m11 * fixedScale);
        int fx = int((inv.m21 * anyRow + inv.m11 * cx + inv.dx) * fixedScale);
        double fxd = inv.m21 * anyRow + inv.m11 * cx + inv.dx;
        // Only needed while it fits; a piece that does not fit never reads it.
        const bool fits = inv.fixedPointFits(cx, anyRow, length) ||
                          inv.fixedPointFits(cx, double(H) - 0.5, length);
        for (int i = 0; i < length; ++i) {
            m_fixedColumns[size_t(x0 + i)] = fits ? clampTo(fx >> 16, w) : 0;
            m_floatColumns[size_t(x0 + i)] = clampTo(int(std::floor(fxd)), w);
            if (fits && i + 1 < length)
                fx += fdx;
            fxd += inv.m11;
        }
    }
    for (int y = 0; y < H; ++y) {
        const double cy = y + 0.5;
        const double anyColumn = 0.5;
        const double fyd = inv.m22 * cy + inv.m12 * anyColumn + inv.dy;
        m_floatRows[size_t(y)] = clampTo(int(std::floor(fyd)), h);
        bool anyFixed = false;
        for (int p = 0; p < m_piecesPerRow; ++p) {
            const int x0 = p * piece;
            const bool fixed = inv.fixedPointFits(x0 + 0.5, cy, std::min(piece, W - x0));
            m_fixedPieces[size_t(y) * size_t(m_piecesPerRow) + size_t(p)] = fixed;
            anyFixed = anyFixed || fixed;
        }
        m_fixedRows[size_t(y)] =
            anyFixed
                ? clampTo(int((inv.m22 * cy + inv.m12 * anyColumn + inv.dy) * fixedScale) >> 16, h)
                : 0;
    }
}

QImage nearestScaled(const QImage& image, QSize size)
{
    if (image.isNull() || image.format() != QImage::Format_RGB888 || size.isEmpty() ||
        image.size() == size)
        return image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage scaled(size, QImage::Format_RGB888);
    if (scaled.isNull())
        return scaled;
    std::memset(scaled.bits(), 0, size_t(scaled.sizeInBytes())); // what is not painted: black
    const NearestScaleMap map(image.size(), size);
    for (int y = 0; y < size.height(); ++y) {
        uchar* out = scaled.scanLine(y);
        for (int x = 0; x < size.width() && map.covers(x, y); ++x)
            std::memcpy(out + 3 * x, image.constScanLine(map.row(x, y)) + 3 * map.column(x, y), 3);
    }
    return scaled;
}
