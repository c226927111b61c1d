#include "yuvconverter.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include "yuvrows.h"

#include <vector>

// Two rows at a time, the colour of each 2 x 2 block averaged as the scaler's bilinear halving
// does it. The scaler's general path takes several times as long for this.
void YuvConverter::convertRgb24(const QImage& rgb, const YuvPlanes& planes)
{
    const int width = planes.size.width();
    std::vector<int32_t> columnSums(2 * size_t(width));
    for (int y = 0; y + 1 < planes.size.height(); y += 2) {
        YuvRowPair rows;
        rows.top = rgb.constScanLine(y);
        rows.bottom = rgb.constScanLine(y + 1);
        rows.lumaTop = planes.luma + ptrdiff_t(y) * planes.lumaStride;
        rows.lumaBottom = rows.lumaTop + planes.lumaStride;
        rows.blue = planes.blue + ptrdiff_t(y / 2) * planes.chromaStride;
        rows.red = planes.red + ptrdiff_t(y / 2) * planes.chromaStride;
        rows.blueSums = columnSums.data();
        rows.redSums = columnSums.data() + width;
        rows.width = width;
        convertYuvRowPair(rows);
    }
}

bool YuvConverter::convert(const QImage& picture, AVFrame* frame)
{
    if (picture.isNull() || frame->format != AV_PIX_FMT_YUV420P)
        return false;
    if (picture.format() == QImage::Format_RGB888 && picture.width() == frame->width &&
        picture.height() == frame->height && picture.width() % 2 == 0 &&
        picture.height() % 2 == 0) {
        YuvPlanes planes;
        planes.size = picture.size();
        planes.luma = frame->data[0];
        planes.blue = frame->data[1];
        planes.red = frame->data[2];
        planes.lumaStride = frame->linesize[0];
        planes.chromaStride = frame->linesize[1];
        convertRgb24(picture, planes);
        return true;
    }
    // Two layouts the scaler reads directly; every other format is brought to 32-bit RGB
    // (a picture with transparency then shows as if over black, the panel's background).
    const QImage rgb = picture.format() == QImage::Format_RGB888
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull())
        return false;
    const AVPixelFormat format =
        rgb.format() == QImage::Format_RGB888 ? AV_PIX_FMT_RGB24 : AV_PIX_FMT_RGB32;
    if (!prepare(format, rgb.size(), QSize(frame->width, frame->height)))
        return false;
    const uint8_t* const sourceData[4] = {rgb.constBits(), nullptr, nullptr, nullptr};
    const int sourceLinesize[4] = {int(rgb.bytesPerLine()), 0, 0, 0};
    // A negative result is an error (FFmpeg 5 and later); FFmpeg 4 answers 0 to some.
    return sws_scale(scaler.get(), sourceData, sourceLinesize, 0, rgb.height(), frame->data,
                     frame->linesize) > 0;
}

bool YuvConverter::prepare(AVPixelFormat format, const QSize& size, const QSize& frameSize)
{
    if (scaler && format == sourceFormat && size == sourceSize && frameSize == outputSize)
        return true;
    scaler.reset();
    if (av_image_check_size(unsigned(size.width()), unsigned(size.height()), 0, nullptr) < 0 ||
        av_image_check_size(unsigned(frameSize.width()), unsigned(frameSize.height()), 0, nullptr) <
            0)
        return false;
    // Bicubic where a picture is scaled, to keep it smooth. A picture of the frames' size
    // (every picture of the fans) takes the scaler's vector path: bilinear still averages
    // the colour planes as they are halved, and the brightness is copied as it is.
    const int flags = size == frameSize ? SWS_BILINEAR : SWS_BICUBIC | SWS_ACCURATE_RND;
    scaler.reset(sws_getContext(size.width(), size.height(), format, frameSize.width(),
                                frameSize.height(), AV_PIX_FMT_YUV420P, flags, nullptr, nullptr,
                                nullptr));
    if (!scaler)
        return false;
    // The stream is described as BT.601 (see the header), as the scaler's default is too.
    const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(scaler.get(), coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
    sourceFormat = format;
    sourceSize = size;
    outputSize = frameSize;
    return true;
}
