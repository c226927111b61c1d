#ifndef ROTAVIS_DESCRIPTORIO_H
#define ROTAVIS_DESCRIPTORIO_H

#include "ffmpegresources.h"

// The output of a muxer on a file that is already open: an AVIOContext that writes and seeks
// through the file's descriptor. The MP4 muxer seeks back to fill in the sizes of what it
// wrote, so the descriptor must belong to a regular file. The descriptor is not owned: the
// file stays with whoever opened it (and locked it, and decides whether it is kept).
class DescriptorIo
{
public:
    // Makes the context for `descriptor`; false when there is no memory for it.
    bool open(int descriptor);

    AVIOContext* context() const { return io.get(); }

    // The errno of the first write or seek that failed (a full disk), 0 while none did.
    int failure() const { return error; }

private:
    // libavformat 61 hands the data to write as const.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
    using WrittenData = const uint8_t*;
#else
    using WrittenData = uint8_t*;
#endif
    static int writePacket(void* opaque, WrittenData data, int size);
    static int64_t seek(void* opaque, int64_t offset, int whence);

    ffmpeg::IoContextPtr io;
    int descriptor = -1;
    int error = 0;
};

#endif
