#ifndef ROTAVIS_RGBSCALER_H
#define ROTAVIS_RGBSCALER_H

#include "ffmpegresources.h"

// Converts decoded pictures to packed RGB24 of one size, the size of a run's frames, with
// FFmpeg's scaler. The scaler asserts (aborts the whole program) when it is set up for a
// pixel format it has no description of, such as the "none" of a stream whose pictures were
// never seen, so every picture is checked here before the scaler sees it: what a file holds
// cannot end the program.
class RgbScaler
{
public:
    // Whether pictures of this pixel format and size can be converted: a format the scaler
    // reads (not an unknown or a hardware one) and a size FFmpeg holds sound for a picture.
    static bool accepts(int format, int width, int height);

    // Makes ready to convert `picture` into frames of `width` x `height`, scaling a picture of
    // another size (a stream may change its size or format midway). False for a picture
    // that cannot be converted.
    bool prepare(const AVFrame& picture, int width, int height);

    // Converts `picture`, which prepare() accepted last, into rows of `rowBytes` at `rgb`.
    // False when the scaler refused it, the rows then holding nothing of it.
    bool convert(const AVFrame& picture, uint8_t* rgb, int rowBytes);

private:
    ffmpeg::ScalerPtr scaler;
    int sourceFormat = AV_PIX_FMT_NONE;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int outputWidth = 0;
    int outputHeight = 0;
};

#endif
