#include "descriptorio.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// libavformat hands its buffer out in pieces of this size; large enough that a frame of video
// costs few system calls.
constexpr int bufferBytes = 256 * 1024;

} // namespace

bool DescriptorIo::open(int fileDescriptor)
{
    io.reset();
    descriptor = fileDescriptor;
    error = 0;
    auto* buffer = static_cast<unsigned char*>(av_malloc(bufferBytes));
    if (!buffer)
        return false;
    io.reset(avio_alloc_context(buffer, bufferBytes, 1, this, nullptr, &DescriptorIo::writePacket,
                                &DescriptorIo::seek));
    if (!io) {
        av_free(buffer);
        return false;
    }
    return true;
}

int DescriptorIo::writePacket(void* opaque, WrittenData data, int size)
{
    auto* self = static_cast<DescriptorIo*>(opaque);
    int written = 0;
    // A write may take less than all of it (a signal, a file that reached its limit): the
    // rest is written again until the system says why it cannot be.
    while (written < size) {
        const ssize_t result = ::write(self->descriptor, data + written, size_t(size - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0) {
            const int cause = result < 0 ? errno : ENOSPC;
            if (self->error == 0)
                self->error = cause;
            return AVERROR(cause);
        }
        written += int(result);
    }
    return size;
}

int64_t DescriptorIo::seek(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<DescriptorIo*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) {
        struct stat status = {};
        if (::fstat(self->descriptor, &status) != 0)
            return AVERROR(errno);
        return status.st_size;
    }
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
        return AVERROR(EINVAL);
    const off_t position = ::lseek(self->descriptor, off_t(offset), whence);
    if (position < 0) {
        const int cause = errno;
        if (self->error == 0)
            self->error = cause;
        return AVERROR(cause);
    }
    return position;
}
