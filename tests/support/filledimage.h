#ifndef ROTAVIS_FILLEDIMAGE_H
#define ROTAVIS_FILLEDIMAGE_H

#include <QColor>
#include <QImage>

// An RGB888 picture of one colour.
inline QImage filled(int w, int h, const QColor& colour)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

#endif
