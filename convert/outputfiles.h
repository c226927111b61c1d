#ifndef ROTAVIS_OUTPUTFILES_H
#define ROTAVIS_OUTPUTFILES_H

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

struct stat;

// The files of one output run, opened so that a run that cannot start, or ends before its
// first frame is in every file, destroys nothing.
//
// Every name is checked before any file is touched: none may be the run's input or another
// output of the run (the same file, also through links), and each must be a regular file or
// not exist yet, so that a FIFO cannot hang the run and a device cannot be written over. Then
// every file is opened and locked (the fan data set's lock: a second run that wants one of
// them refuses). The first record of a file that exists goes into a new file beside it;
// once every file holds its first record, those new files take the old ones' names in one
// rename each, and the files that the run replaces without writing them (an older set's
// other files) are removed. A run that ends before that leaves every existing file exactly
// as it was and removes the files it made.
class OutputFiles
{
public:
    OutputFiles() = default;
    ~OutputFiles(); // closes
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // Opens the files `names` (paths as NativePath spells them); no output may be `input`,
    // the file being converted (none when empty). `replaced` are files that the run removes
    // once its first records are written; none of them may be the input either. On failure
    // nothing is left open or created, errorString() names the file and the reason, and
    // busy() says whether another run holds one of the files.
    bool open(const QStringList& names, const QString& input, const QStringList& replaced = {});

    // Once every file holds its first record: the new files take the names of the existing
    // ones and the replaced files are removed. Only the first call does anything.
    bool commit();
    bool committed() const { return m_committed; }

    int count() const { return int(entries.size()); }
    // The file that the records of output `index` go to.
    QFile* file(int index) const { return entries[size_t(index)].file.get(); }
    QString name(int index) const { return entries[size_t(index)].name; }
    // The name as the user reads it.
    QString shownName(int index) const;
    // Why a write to file `index` just failed, from errno: call it right after the write.
    QString writeFailure(int index) const;

    // Whether every name still leads to the file written under it; otherwise errorString()
    // says which was removed or replaced during the run.
    bool stillInPlace();

    // Closes every file; before commit() also removes the files this run made.
    void close();

    QString errorString() const { return error; }
    bool busy() const { return m_busy; }

    // Writes `contents` as the whole file `name` by the same rules (never the input, never
    // anything but a regular file, the old file intact until the new one is complete);
    // returns why it could not, or an empty text.
    static QString writeWhole(const QString& name, const QByteArray& contents,
                              const QString& input = QString());

private:
    struct Entry
    {
        QString name;
        std::unique_ptr<QFile> file; // where the records go
        bool created = false;        // the run made the file: it did not exist before
        bool locked = false;         // the run holds the set's lock on it
        int existing = -1;           // the existing file, held open (and locked) until commit
        QByteArray target;           // the existing file's real path, which commit replaces
        QByteArray fresh;            // the new file beside it until commit
    };

    bool fail(const QString& message);
    QString outputProblem(const QString& name, const struct stat& status, const struct stat* input,
                          const std::vector<std::pair<QString, struct stat>>& earlier) const;
    bool openOne(const QString& name);
    bool openFresh(Entry& entry, const struct stat& existing);
    bool removeReplaced();

    std::vector<Entry> entries;
    QStringList m_replaced;
    bool m_committed = false;
    bool m_busy = false;
    QString error;
};

#endif
