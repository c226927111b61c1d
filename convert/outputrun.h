#ifndef ROTAVIS_OUTPUTRUN_H
#define ROTAVIS_OUTPUTRUN_H

#include "fanframelines.h"
#include "outputfiles.h"
#include "pixelruns.h"

#include <QImage>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <sys/uio.h>
#include <thread>
#include <vector>

class BitPlaneTurn;
class Panel;
class PanelConversion;

// The files of one output run: one data file per fan of the run's panel, one frame record per
// converted frame. The worker owns the frame loop and the run's progress; this owns the files
// and converts on a thread of its own, so that the next picture is decoded while the last one
// is converted. A run that fails stops writing and leaves every file complete up to its last
// whole frame record, all files holding the same number of frames.
class OutputRun
{
public:
    // Lines packed in 14 channels take their swap turns from `turn`: by default the turn that
    // every output run of the process continues.
    OutputRun();
    explicit OutputRun(BitPlaneTurn& turn);
    ~OutputRun(); // closes whatever is still open
    OutputRun(const OutputRun&) = delete;
    OutputRun& operator=(const OutputRun&) = delete;

    // Opens one file per fan of `panel`, in list order, and sets each fan's `file` and
    // `stream` fields; none may be `input`, the clip being converted. Existing files, and the
    // other files of an older set of the name, are replaced only once every file holds the
    // first frame (see OutputFiles). If a file cannot be opened: releases what was opened,
    // leaves the fans' fields null and every file as it was, returns false; errorString()
    // names the file and the reason, and busy() says whether another run writes the set. A
    // panel without fans opens nothing and succeeds.
    bool open(const QString& outputPath, Panel* panel, const QString& input = QString());

    // Writes one debug line and hands one frame (RGB888 at the media's size; shared, not
    // copied) to the conversion thread, which appends one frame record per fan to its file;
    // returns as soon as the frame before it is done. Returns false when the run has failed:
    // a write failure shows on the call after the frame that failed (or in finish()); every
    // file is then cut back to its last whole frame record, errorString() names the file,
    // and nothing more is written.
    bool convertFrame(const QImage& frame);

    // The pixels of frames of `size` and `bytesPerLine` that the conversion reads (see
    // SampleMap::framePixelsRead); none while the run is not open.
    PixelRuns framePixelsRead(QSize size, int bytesPerLine, int join);

    // What is told of each frame once its records are in every file: each fan's record, in
    // the panel's order. Called on the conversion thread: the next frame waits for it.
    using FrameWritten = std::function<void(QVector<FanFrameRecord> fans)>;
    void setFrameWritten(FrameWritten frameWritten) { m_frameWritten = std::move(frameWritten); }

    // Waits until the frames handed over are written; false if the run has failed, or if a
    // file was removed or replaced under its name meanwhile.
    bool finish();

    // Finishes, closes each file, destroys stream then file, and nulls the fans' fields.
    void close();

    bool isOpen() const { return m_panel != nullptr; }
    // Whether the last open() failed because another run holds a file of the set.
    bool busy() const { return m_files.busy(); }
    // Waits for the frame in flight, so that a failure of the last frame shows.
    QString errorString() const;

private:
    std::unique_lock<std::mutex> waitUntilIdle() const; // until no frame is in flight
    void conversionLoop();
    bool convertAndWrite();
    const std::vector<iovec>& recordVectors(int fan);
    void cutBackToLastFrame();
    void stopThread();

    BitPlaneTurn& m_turn;
    Panel* m_panel = nullptr;
    OutputFiles m_files;
    std::vector<qint64> m_wholeRecords; // per file: its size after the last whole frame record
    std::vector<std::vector<iovec>> m_recordVectors; // per file: its record's pieces
    std::unique_ptr<PanelConversion> m_conversion;
    FrameWritten m_frameWritten;

    // The hand-over between the caller and the conversion thread.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::thread m_thread;
    QImage m_frame;         // the frame in flight (shared with the caller's)
    bool m_pending = false; // m_frame waits for or is under conversion
    bool m_quit = false;
    bool m_failed = false;
    QString m_error;
};

#endif
