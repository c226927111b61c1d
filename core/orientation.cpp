#include "orientation.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstring>

namespace {

// The sign of a matrix entry, entries near 0 counting as 0: the 16.16 values of a turn by a
// multiple of 90 degrees are 0 or +-65536, give or take the rounding of a sine.
int signOf(int32_t entry)
{
    constexpr int32_t nearZero = 1 << 8;
    return entry > nearZero ? 1 : entry < -nearZero ? -1 : 0;
}

} // namespace

Orientation Orientation::fromDisplayMatrix(const int32_t matrix[9])
{
    // A point (x, y) of the coded picture is displayed at (a x + c y, b x + d y), matrix
    // laid out as a b u / c d v / x y w.
    Orientation turn;
    turn.xx = signOf(matrix[0]);
    turn.xy = signOf(matrix[3]);
    turn.yx = signOf(matrix[1]);
    turn.yy = signOf(matrix[4]);
    // Each displayed axis must come from exactly one coded axis; anything else (a turn by
    // another angle, a degenerate matrix) is no exact pixel move.
    const bool axisMove = (turn.xx != 0) != (turn.xy != 0) && (turn.yx != 0) != (turn.yy != 0) &&
                          (turn.xx != 0) != (turn.yx != 0);
    return axisMove ? turn : Orientation();
}

Orientation Orientation::ofStream(const AVStream* stream)
{
#if LIBAVFORMAT_VERSION_MAJOR >= 61
    const AVPacketSideData* data =
        av_packet_side_data_get(stream->codecpar->coded_side_data,
                                stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
    const uint8_t* matrix = data ? data->data : nullptr;
    const size_t size = data ? data->size : 0;
#else
#if LIBAVFORMAT_VERSION_MAJOR >= 59
    size_t size = 0;
#else
    int size = 0;
#endif
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
#endif
    if (!matrix || size_t(size) < 9 * sizeof(int32_t))
        return Orientation();
    int32_t entries[9];
    std::memcpy(entries, matrix, sizeof(entries));
    return fromDisplayMatrix(entries);
}

QSize Orientation::displayedSize(const QSize& coded) const
{
    return xx != 0 ? coded : coded.transposed();
}

void Orientation::apply(const uchar* coded, const QSize& codedSize, int codedRowBytes,
                        uchar* displayed, int displayedRowBytes) const
{
    const QSize outSize = displayedSize(codedSize);
    // Coded pixel (x, y) lands at origin + x * stepX + y * stepY, in bytes of `displayed`.
    const int originX = (xx < 0 || xy < 0) ? outSize.width() - 1 : 0;
    const int originY = (yx < 0 || yy < 0) ? outSize.height() - 1 : 0;
    const qsizetype origin = qsizetype(originY) * displayedRowBytes + qsizetype(originX) * 3;
    const qsizetype stepX = xx * 3 + qsizetype(yx) * displayedRowBytes;
    const qsizetype stepY = xy * 3 + qsizetype(yy) * displayedRowBytes;

    for (int y = 0; y < codedSize.height(); ++y) {
        const uchar* in = coded + qsizetype(y) * codedRowBytes;
        uchar* target = displayed + origin + qsizetype(y) * stepY;
        for (int x = 0; x < codedSize.width(); ++x) {
            target[0] = in[0];
            target[1] = in[1];
            target[2] = in[2];
            in += 3;
            target += stepX;
        }
    }
}
