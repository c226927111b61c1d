#include "fanvideo.h"

#include "panel.h"

#include <utility>

namespace {

// Frames that may wait for the encoder: enough to ride out the uneven pace of the encoder and
// of the conversion (with 3, the conversion waited for the encoder measurably often), few
// enough that a run's memory does not grow with a slow encoder.
constexpr size_t mostWaiting = 12;

} // namespace

FanVideo::FanVideo(const Panel& panel) : panel(panel) {}

FanVideo::~FanVideo()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        quit = true;
        waiting.clear();
    }
    changed.notify_all();
    if (thread.joinable())
        thread.join();
}

double FanVideo::rateOf(const Panel& panel)
{
    return panel.hz > 0 && panel.hz <= 1000 ? panel.hz : 18.0;
}

bool FanVideo::open(const QString& path, int longerSide, const QString& input, bool beside)
{
    writer.setSpeed(beside ? VideoWriter::Speed::Fast : VideoWriter::Speed::Compact);
    size = VideoWriter::videoSize(QSizeF(panel.width, panel.height), longerSide);
    if (!writer.open(path, size, rateOf(panel), input)) {
        error = writer.errorString();
        return false;
    }
    thread = std::thread([this] { encodeLoop(); });
    return true;
}

bool FanVideo::add(QVector<FanFrameRecord> fans)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return failed || waiting.size() < mostWaiting; });
    if (failed)
        return false;
    waiting.push_back(std::move(fans));
    lock.unlock();
    changed.notify_all();
    return true;
}

void FanVideo::encodeLoop()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return quit || !waiting.empty(); });
        if (quit)
            return;
        QVector<FanFrameRecord> fans = std::move(waiting.front());
        waiting.pop_front();
        busy = true;
        lock.unlock();
        const QVector<FanFrameLines> lines = linesOf(fans);
        const bool written =
            writer.write([&](const YuvPlanes& planes) { painter.paint(panel, lines, planes); });
        lock.lock();
        busy = false;
        encoded += written ? 1 : 0;
        if (!written && !failed) {
            failed = true;
            error = writer.errorString();
            waiting.clear();
        }
        changed.notify_all();
    }
}

bool FanVideo::finish()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return failed || (waiting.empty() && !busy); });
        quit = true;
    }
    changed.notify_all();
    if (thread.joinable())
        thread.join();
    if (failed)
        return false;
    if (!writer.finish()) {
        error = writer.errorString();
        return false;
    }
    return true;
}

qint64 FanVideo::framesWritten() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return encoded;
}

QString FanVideo::errorString() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return error;
}
