#include "rgbscaler.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

bool RgbScaler::accepts(int format, int width, int height)
{
    const auto pixelFormat = AVPixelFormat(format);
    const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(pixelFormat);
    if (!description || (description->flags & AV_PIX_FMT_FLAG_HWACCEL) ||
        sws_isSupportedInput(pixelFormat) <= 0)
        return false;
    // FFmpeg's own bound on a picture's size, which its decoders hold to as well; it also
    // keeps a frame's RGB rows within what a QImage can address.
    return width > 0 && height > 0 &&
           av_image_check_size(unsigned(width), unsigned(height), 0, nullptr) >= 0;
}

bool RgbScaler::prepare(const AVFrame& picture, int width, int height)
{
    if (scaler && picture.format == sourceFormat && picture.width == sourceWidth &&
        picture.height == sourceHeight && width == outputWidth && height == outputHeight)
        return true;
    scaler.reset();
    if (!accepts(picture.format, picture.width, picture.height) ||
        !accepts(AV_PIX_FMT_RGB24, width, height))
        return false;
    scaler.reset(sws_getContext(picture.width, picture.height, AVPixelFormat(picture.format), width,
                                height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler)
        return false;
    sourceFormat = picture.format;
    sourceWidth = picture.width;
    sourceHeight = picture.height;
    outputWidth = width;
    outputHeight = height;
    return true;
}

bool RgbScaler::convert(const AVFrame& picture, uint8_t* rgb, int rowBytes)
{
    if (!scaler || picture.format != sourceFormat || picture.width != sourceWidth ||
        picture.height != sourceHeight)
        return false;
    uint8_t* const rgbData[4] = {rgb, nullptr, nullptr, nullptr};
    const int rgbLinesize[4] = {rowBytes, 0, 0, 0};
    // A negative result is an error (FFmpeg 5 and later); FFmpeg 4 answers 0 to some.
    return sws_scale(scaler.get(), picture.data, picture.linesize, 0, sourceHeight, rgbData,
                     rgbLinesize) > 0;
}
