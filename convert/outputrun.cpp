#include "outputrun.h"

#include "bitplanes.h"
#include "diagnostics.h"
#include "fan.h"
#include "fandataset.h"
#include "packets.h"
#include "panel.h"
#include "panelconversion.h"
#include "samplemap.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace {

// Writes the pieces one after the other with as few calls as the system allows; returns
// false, with errno set, if the file took less.
bool writePieces(QFile& file, const std::vector<iovec>& pieces)
{
    static const size_t most = size_t(std::max(1L, sysconf(_SC_IOV_MAX)));
    const int descriptor = file.handle();
    std::vector<iovec> rest; // what is left after a write that took part of a piece
    const iovec* vectors = pieces.data();
    size_t left = pieces.size();
    while (left > 0) {
        const size_t count = std::min(most, left);
        const ssize_t written = ::writev(descriptor, vectors, int(count));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        // Past the pieces written whole, into the one written in part.
        size_t taken = size_t(written);
        while (left > 0 && taken >= vectors->iov_len) {
            taken -= vectors->iov_len;
            ++vectors;
            --left;
        }
        if (taken > 0) {
            rest.assign(vectors, vectors + left);
            rest[0].iov_base = static_cast<char*>(rest[0].iov_base) + taken;
            rest[0].iov_len -= taken;
            vectors = rest.data();
        }
    }
    return true;
}

} // namespace

OutputRun::OutputRun() : OutputRun(BitPlaneTurn::outputRuns()) {}

OutputRun::OutputRun(BitPlaneTurn& turn) : m_turn(turn) {}

OutputRun::~OutputRun()
{
    close();
}

bool OutputRun::open(const QString& outputPath, Panel* panel, const QString& input)
{
    close();
    m_failed = false;
    m_error.clear();
    if (!panel) {
        m_error = QStringLiteral("No panel to write");
        return false;
    }

    const int fanCount = panel->fans.size();
    const FanDataSet set(outputPath, fanCount);
    if (!m_files.open(set.files(), input, fanCount > 0 ? set.strayFiles() : QStringList())) {
        m_error = m_files.errorString();
        return false;
    }
    for (int i = 0; i < fanCount; ++i) {
        Fan* fan = panel->fans.at(i);
        fan->file = m_files.file(i);
        fan->stream = new QDataStream(fan->file);
    }
    m_wholeRecords.assign(size_t(fanCount), 0);
    m_recordVectors.assign(size_t(fanCount), {});
    m_panel = panel;
    m_conversion = std::make_unique<PanelConversion>(*panel);
    m_quit = false;
    m_pending = false;
    m_thread = std::thread([this] { conversionLoop(); });
    return true;
}

PixelRuns OutputRun::framePixelsRead(QSize size, int bytesPerLine, int join)
{
    // The conversion thread works out the same map on its first frame: not meanwhile.
    const std::unique_lock<std::mutex> lock = waitUntilIdle();
    return m_conversion ? m_conversion->framePixelsRead(size, bytesPerLine, join) : PixelRuns();
}

bool OutputRun::convertFrame(const QImage& frame)
{
    if (!m_panel) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("No output run is open");
        return false;
    }
    std::unique_lock<std::mutex> lock = waitUntilIdle();
    if (m_failed)
        return false;
    const QSize layers = SampleMap::layerSizeFor(*m_panel, frame.size());
    qCDebug(convertLog) << "frameImage_z0->bytesPerLine()"
                        << SampleMap::layerBytesPerLineFor(layers) << "frameImage_z1->size()"
                        << layers;
    // A shallow copy: the frame source writes the next picture into another buffer while
    // this one is converted, and a caller that changes its image detaches from this one.
    m_frame = frame;
    m_pending = true;
    lock.unlock();
    m_changed.notify_all();
    return true;
}

std::unique_lock<std::mutex> OutputRun::waitUntilIdle() const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending; });
    return lock;
}

bool OutputRun::finish()
{
    const std::unique_lock<std::mutex> lock = waitUntilIdle();
    if (!m_failed && !m_files.stillInPlace()) {
        m_failed = true;
        m_error = m_files.errorString();
    }
    return !m_failed;
}

QString OutputRun::errorString() const
{
    const std::unique_lock<std::mutex> lock = waitUntilIdle();
    return m_error;
}

void OutputRun::conversionLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || m_pending; });
        if (m_pending) {
            // The caller waits for m_pending to clear before it touches the frame again.
            lock.unlock();
            const bool written = convertAndWrite();
            lock.lock();
            if (!written)
                m_failed = true;
            m_pending = false;
            m_changed.notify_all();
            continue;
        }
        if (m_quit)
            return;
    }
}

bool OutputRun::convertAndWrite()
{
    // Each fan's record is written with one call as soon as it is converted; the sizes are
    // committed only once every fan has its record, so a failure leaves all files alike.
    const int fans = m_files.count();
    std::vector<QString> errors(static_cast<size_t>(fans));
    m_conversion->convert(m_frame, m_turn, [&](int fan) {
        if (!writePieces(*m_files.file(fan), recordVectors(fan)))
            errors[size_t(fan)] = m_files.writeFailure(fan);
    });
    for (int i = 0; i < fans; ++i) {
        if (!errors[size_t(i)].isEmpty()) {
            cutBackToLastFrame();
            std::lock_guard<std::mutex> lock(m_mutex);
            m_error = errors[size_t(i)];
            return false;
        }
    }
    // The first records are in: the files take their names, replacing the old ones.
    if (!m_files.commit()) {
        cutBackToLastFrame();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = m_files.errorString();
        return false;
    }
    for (int i = 0; i < fans; ++i)
        m_wholeRecords[size_t(i)] += frameRecordSize(m_panel->fans.at(i)->ledpcs);
    if (m_frameWritten) {
        QVector<FanFrameRecord> records;
        records.reserve(fans);
        for (int i = 0; i < fans; ++i)
            records.append(m_conversion->viewRecord(i));
        m_frameWritten(std::move(records));
    }
    return true;
}

const std::vector<iovec>& OutputRun::recordVectors(int fan)
{
    // The pieces stay where they are from frame to frame, unless the frame's size changes.
    const std::vector<PanelConversion::Piece>& pieces = m_conversion->recordPieces(fan);
    std::vector<iovec>& vectors = m_recordVectors[size_t(fan)];
    if (vectors.size() != pieces.size() ||
        (!pieces.empty() && vectors.front().iov_base != pieces.front().bytes)) {
        vectors.clear();
        for (const PanelConversion::Piece& piece : pieces)
            vectors.push_back({const_cast<char*>(piece.bytes), size_t(piece.size)});
    }
    return vectors;
}

void OutputRun::cutBackToLastFrame()
{
    for (int i = 0; i < m_files.count(); ++i) {
        QFile* file = m_files.file(i);
        const qint64 whole = m_wholeRecords[size_t(i)];
        if (file->size() != whole && !file->resize(whole))
            qWarning() << "Cannot cut" << m_files.shownName(i) << "back:" << file->errorString();
    }
}

void OutputRun::stopThread()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void OutputRun::close()
{
    stopThread();
    m_conversion.reset();
    m_frame = QImage();
    if (m_panel) {
        for (Fan* fan : qAsConst(m_panel->fans)) {
            delete fan->stream;
            fan->stream = nullptr;
            fan->file = nullptr;
        }
    }
    m_files.close();
    m_wholeRecords.clear();
    m_recordVectors.clear();
    m_panel = nullptr;
}
