#ifndef ROTAVIS_ORIENTATION_H
#define ROTAVIS_ORIENTATION_H

#include <QSize>
#include <QtGlobal>

#include <cstdint>

struct AVStream;

// How a stream's coded pictures are turned to be seen as displayed: one of the eight turns
// and mirrorings by multiples of 90 degrees that a display matrix can ask for. Applied to RGB
// pictures by moving whole pixels, so the displayed picture holds exactly the coded values.
class Orientation
{
public:
    Orientation() = default; // as coded

    // From a display matrix (3 x 3, row by row, the first two columns in 16.16 fixed point).
    // A matrix that is not a turn by a multiple of 90 degrees leaves the pictures as coded.
    static Orientation fromDisplayMatrix(const int32_t matrix[9]);
    // From the display matrix a stream carries; as coded when it carries none.
    static Orientation ofStream(const AVStream* stream);

    bool isIdentity() const { return xx == 1 && xy == 0 && yx == 0 && yy == 1; }
    QSize displayedSize(const QSize& coded) const;

    // Writes the packed RGB picture `coded` (`codedSize`, rows of `codedRowBytes`) turned into
    // `displayed`, rows of `displayedRowBytes` holding displayedSize(codedSize) pixels.
    void apply(const uchar* coded, const QSize& codedSize, int codedRowBytes, uchar* displayed,
               int displayedRowBytes) const;

private:
    // Displayed x = xx * x + xy * y, displayed y = yx * x + yy * y, then shifted to start at 0.
    int xx = 1;
    int xy = 0;
    int yx = 0;
    int yy = 1;
};

#endif
