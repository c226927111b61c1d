#ifndef ROTAVIS_OUTPUTRUN_H
#define ROTAVIS_OUTPUTRUN_H

#include <QList>
#include <QString>
#include <QVector>

class Fan;
class Panel;
class QImage;

// The files of one output run: one data file per fan of the run's panel, one frame record per
// converted frame. The worker owns the frame loop and the run's progress; this owns the files.
// A run that fails stops writing and leaves every file complete up to its last whole frame
// record, all files holding the same number of frames.
class OutputRun
{
public:
    OutputRun() = default;
    ~OutputRun(); // closes whatever is still open
    OutputRun(const OutputRun&) = delete;
    OutputRun& operator=(const OutputRun&) = delete;

    // Opens one file per fan of `panel`, in list order (write-only, truncating), and sets each
    // fan's `file` and `stream` fields. If a file cannot be opened: closes and releases what
    // was opened, leaves the fans' fields null, returns false; errorString() names the file
    // and the reason. A panel without fans opens nothing and succeeds.
    bool open(const QString& outputPath, Panel* panel);

    // Converts one frame (RGB888 at the media's size): layer images, front-fan blending, one
    // debug line, then one frame record per fan appended to its file. On a write failure every
    // file is cut back to its last whole frame record, errorString() names the file, and this
    // and every later call return false without writing.
    bool convertFrame(const QImage& frame);

    // Closes each file, destroys stream then file, and nulls the fans' fields.
    void close();

    bool isOpen() const { return m_panel != nullptr; }
    QString errorString() const { return m_error; }

private:
    bool writeRecords(const QImage& frameImage_z0, const QImage& frameImage_z1);
    void cutBackToLastFrame();

    Panel* m_panel = nullptr;
    QList<Fan*> m_fans;             // the fans whose files are open, in list order
    QVector<qint64> m_wholeRecords; // per file: its size after the last whole frame record
    bool m_failed = false;
    QString m_error;
};

#endif
