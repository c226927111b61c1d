#include "outputrun.h"

#include "bitplanes.h"
#include "fan.h"
#include "packets.h"
#include "panel.h"
#include "panelconversion.h"
#include "samplemap.h"

#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace {

// Writes the pieces one after the other with as few calls as the system allows; returns
// false, with errno set, if the file took less.
bool writePieces(QFile& file, const std::vector<PanelConversion::Piece>& pieces)
{
    std::vector<iovec> vectors;
    vectors.reserve(pieces.size());
    for (const PanelConversion::Piece& piece : pieces)
        vectors.push_back({const_cast<char*>(piece.bytes), size_t(piece.size)});
    const int descriptor = file.handle();
    const size_t most = size_t(std::max(1L, sysconf(_SC_IOV_MAX)));
    size_t next = 0;
    while (next < vectors.size()) {
        const size_t count = std::min(most, vectors.size() - next);
        const ssize_t written = ::writev(descriptor, vectors.data() + next, int(count));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        // Past the pieces written whole, into the one written in part.
        size_t left = size_t(written);
        while (next < vectors.size() && left >= vectors[next].iov_len) {
            left -= vectors[next].iov_len;
            ++next;
        }
        if (left > 0) {
            vectors[next].iov_base = static_cast<char*>(vectors[next].iov_base) + left;
            vectors[next].iov_len -= left;
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
    QStringList names;
    for (int i = 0; i < fanCount; ++i)
        names << fanDataFileName(outputPath, i, fanCount);
    if (!m_files.open(names, input)) {
        m_error = m_files.errorString();
        return false;
    }
    for (int i = 0; i < fanCount; ++i) {
        Fan* fan = panel->fans.at(i);
        fan->file = m_files.file(i);
        fan->stream = new QDataStream(fan->file);
        m_fans.append(fan);
        m_wholeRecords.append(0);
    }
    m_panel = panel;
    m_conversion = std::make_unique<PanelConversion>(*panel);
    m_quit = false;
    m_pending = false;
    m_thread = std::thread([this] { conversionLoop(); });
    return true;
}

bool OutputRun::convertFrame(const QImage& frame)
{
    if (!m_panel) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("No output run is open");
        return false;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending; });
    if (m_failed)
        return false;
    const QSize layers = SampleMap::layerSizeFor(*m_panel, frame.size());
    qDebug() << "frameImage_z0->bytesPerLine()"
             << (layers.isEmpty() ? 0 : (layers.width() * 3 + 3) & ~3) << "frameImage_z1->size()"
             << layers;
    // A shallow copy: the frame source writes the next picture into another buffer while
    // this one is converted, and a caller that changes its image detaches from this one.
    m_frame = frame;
    m_pending = true;
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool OutputRun::finish()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending; });
    return !m_failed;
}

QString OutputRun::errorString() const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending; });
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
    if (!m_files.beginWriting()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = m_files.errorString();
        return false;
    }
    std::vector<QString> errors(size_t(m_fans.size()));
    m_conversion->convert(m_frame, m_turn, [&](int fan) {
        QFile* file = m_fans.at(fan)->file;
        if (!writePieces(*file, m_conversion->recordPieces(fan)))
            errors[size_t(fan)] = QStringLiteral("Cannot write %1: %2")
                                      .arg(QDir::toNativeSeparators(m_files.name(fan)),
                                           QString::fromLocal8Bit(std::strerror(errno)));
    });
    for (int i = 0; i < m_fans.size(); ++i) {
        if (!errors[size_t(i)].isEmpty()) {
            cutBackToLastFrame();
            std::lock_guard<std::mutex> lock(m_mutex);
            m_error = errors[size_t(i)];
            return false;
        }
    }
    for (int i = 0; i < m_fans.size(); ++i)
        m_wholeRecords[i] += frameRecordSize(m_fans.at(i)->ledpcs);
    return true;
}

void OutputRun::cutBackToLastFrame()
{
    for (int i = 0; i < m_fans.size(); ++i) {
        QFile* file = m_fans.at(i)->file;
        if (file->size() != m_wholeRecords.at(i) && !file->resize(m_wholeRecords.at(i)))
            qWarning() << "Cannot cut" << QDir::toNativeSeparators(m_files.name(i))
                       << "back:" << file->errorString();
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
    for (Fan* fan : qAsConst(m_fans)) {
        delete fan->stream;
        fan->stream = nullptr;
        fan->file = nullptr;
    }
    m_files.close();
    m_fans.clear();
    m_wholeRecords.clear();
    m_panel = nullptr;
}
