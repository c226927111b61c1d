#ifndef ROTAVIS_NOISEIMAGE_H
#define ROTAVIS_NOISEIMAGE_H

#include <QImage>

// An RGB888 picture of pseudo-random bytes, the same for the same seed: every pixel differs
// from its neighbours, so a misplaced read or a painted pixel shows.
inline QImage noiseImage(int w, int h, quint32 seed)
{
    QImage image(w, h, QImage::Format_RGB888);
    quint32 state = seed;
    for (int r = 0; r < h; ++r) {
        uchar* row = image.scanLine(r);
        for (int i = 0; i < 3 * w; ++i) {
            state = state * 1664525u + 1013904223u;
            row[i] = uchar(state >> 24);
        }
    }
    return image;
}

#endif
