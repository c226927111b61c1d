#ifndef ROTAVIS_FANDATAREADER_H
#define ROTAVIS_FANDATAREADER_H

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVector>

#include <memory>

// Reads a fan data file back: finds the blade type from its packets, checks every packet
// header, and hands out the line data of any frame.
class FanDataReader
{
public:
    // Reads the file at `path` (mapped, not copied: data files of long clips are large).
    // Returns whether every packet is in order; if not, errorString() says what is wrong and
    // errorOffset() at which byte.
    bool open(const QString& path);
    // The same for contents already in memory.
    bool read(const QByteArray& contents);

    // Reads the file at `path` as a run that was cut off may have left it: a record that ends
    // inside a packet counts as the unfinished last record, which frameCount() leaves out,
    // instead of as damage. Every packet before it must still be in order.
    bool openCutOff(const QString& path);
    // The same for contents already in memory.
    bool readCutOff(const QByteArray& contents);

    int ledpcs() const { return ledCount; }
    int linesPerFrame() const { return lineCount; }
    qint64 frameBytes() const { return recordBytes; }
    qint64 frameCount() const { return frames; }

    QString errorString() const { return error; }
    qint64 errorOffset() const { return errorAt; }

    // The line data of each blade position of `frame` (3 x ledpcs bytes a line, the chunks
    // of a line joined), as written; empty when there is no such frame.
    QVector<QByteArray> frameLines(qint64 frame) const;
    // The bytes of frame record `frame` as written; empty when there is no such frame.
    QByteArray frameRecord(qint64 frame) const;

private:
    void reset();
    bool openFile(const QString& path, bool cutOff);
    bool readContents(const QByteArray& contents, bool cutOff);
    bool check();
    bool fail(qint64 offset, const QString& message);
    bool checkPackets(int candidateLeds);
    bool mapFile(const QString& path);
    int unchunkedLedCount();
    int ledCountFromHeaderAt(qint64 at) const;
    int firstFrameHeadersAt(int leds) const;

    QByteArray buffer;
    std::unique_ptr<QFile> file;
    const char* bytes = nullptr;
    qint64 size = 0;
    int ledCount = 0;
    int lineCount = 0;
    qint64 recordBytes = 0;
    qint64 frames = 0;
    QString error;
    qint64 errorAt = -1;
    bool cutOffAllowed = false; // a packet cut short ends the reading, not as damage
};

#endif
