#ifndef ROTAVIS_SCALEMAP_H
#define ROTAVIS_SCALEMAP_H

#include <QImage>
#include <QSize>

#include <cstdint>
#include <vector>

// Which source pixel each pixel of an RGB888 image scaled with
// QImage::scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation) comes from, without
// building the scaled image.
//
// Qt 5.15 draws such an image with its raster paint engine: every target row is one span,
// fetched in pieces of 2048 pixels. Each piece maps its pixel centres through the inverted
// scale (which includes a shift of 1/65536 pixel) either in 16.16 fixed point, stepping
// from the piece's first pixel, or, when the scale is too extreme or the numbers too large
// for fixed point, in double precision, again stepping from the piece's first pixel. The
// result is clamped into the source image. The engine paints no further than 32767 pixels in
// either direction; beyond, the scaled image stays black. This reproduces that arithmetic
// step by step; the tests hold it to Qt's own scaled() image by image, extreme enlargements
// included.
class NearestScaleMap
{
public:
    NearestScaleMap() = default;
    // `source` and `target` must both be non-empty.
    NearestScaleMap(QSize source, QSize target);

    // Whether target pixel (x, y) is painted at all; the others are black.
    bool covers(int x, int y) const { return x < m_paintedWidth && y < m_paintedHeight; }

    // The source column and row of target pixel (x, y), for pixels it covers.
    int column(int x, int y) const
    {
        return m_identity ? x : (fixedPoint(x, y) ? m_fixedColumns[x] : m_floatColumns[x]);
    }
    int row(int x, int y) const
    {
        return m_identity ? y : (fixedPoint(x, y) ? m_fixedRows[y] : m_floatRows[y]);
    }

private:
    bool fixedPoint(int x, int y) const
    {
        return m_fixedPieces[size_t(y) * m_piecesPerRow + size_t(x / piece)] != 0;
    }

    static constexpr int piece = 2048;
    static constexpr int paintLimit = 32767;
    bool m_identity = true;
    int m_paintedWidth = 0;
    int m_paintedHeight = 0;
    int m_piecesPerRow = 0;
    std::vector<int> m_fixedColumns;
    std::vector<int> m_floatColumns;
    std::vector<int> m_fixedRows;
    std::vector<int> m_floatRows;
    std::vector<std::uint8_t> m_fixedPieces; // per row and piece: whether fixed point ran
};

// The RGB888 `image` scaled to `size` as NearestScaleMap maps it: the pixels Qt 5.15's
// QImage::scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation) gives, whichever Qt
// this is built with (Qt 6 steps differently where fixed point does not fit). An empty image
// or size is left to scaled().
QImage nearestScaled(const QImage& image, QSize size);

#endif
