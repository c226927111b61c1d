#ifndef ROTAVIS_YUVCONVERTER_H
#define ROTAVIS_YUVCONVERTER_H

#include "ffmpegresources.h"
#include "yuvplanes.h"

#include <QImage>
#include <QSize>

// Converts pictures into the yuv420p frames of a video (FFmpeg's scaler for the odd cases): BT.601
// coefficients in limited range, which is what the video's stream says it holds, so that
// players show the colours that were written. BT.601 rather than BT.709 because it is what
// the frame source decodes every clip with: a video rendered here and opened in Rotavis again
// gives back its colours too. A picture of another size than the frames is scaled in the
// same pass.
class YuvConverter
{
public:
    // The colour description of the frames, for the encoder and the container.
    static constexpr AVColorSpace colorSpace = AVCOL_SPC_SMPTE170M;
    static constexpr AVColorPrimaries colorPrimaries = AVCOL_PRI_BT709;
    static constexpr AVColorTransferCharacteristic colorTransfer = AVCOL_TRC_BT709;
    static constexpr AVColorRange colorRange = AVCOL_RANGE_MPEG;

    // Converts `picture` (any format and size) into `frame`, a writable yuv420p frame with its
    // buffers. False when the picture is null or the scaler cannot be set up for it.
    bool convert(const QImage& picture, AVFrame* frame);

    // The path convert() takes for a 24-bit picture of the frame's size (every picture of the
    // fans): `rgb` (Format_RGB888, of planes.size) into `planes`, without the scaler.
    static void convertRgb24(const QImage& rgb, const YuvPlanes& planes);

private:
    bool prepare(AVPixelFormat format, const QSize& size, const QSize& frameSize);

    ffmpeg::ScalerPtr scaler;
    AVPixelFormat sourceFormat = AV_PIX_FMT_NONE;
    QSize sourceSize;
    QSize outputSize;
};

#endif
