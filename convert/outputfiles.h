#ifndef ROTAVIS_OUTPUTFILES_H
#define ROTAVIS_OUTPUTFILES_H

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

struct stat;

// The data files of one output run, opened so that a run that cannot start destroys nothing.
//
// Every name is checked before any file is touched: none may be the run's input or another
// output of the run (the same file, also through links), and each must be a regular file or
// not exist yet, so that a FIFO cannot hang the run and a device cannot be written over. Then
// all files are opened without emptying them; existing ones are emptied only when every file
// is open and the first frame record is about to be written. A run that ends before that
// leaves existing files as they were and removes the files it created.
class OutputFiles
{
public:
    OutputFiles() = default;
    ~OutputFiles(); // closes
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // Opens the files `names` (paths as NativePath spells them); no output may be `input`,
    // the file being converted (none when empty). On failure nothing is left open or created
    // and errorString() names the file and the reason.
    bool open(const QStringList& names, const QString& input);

    // Empties the files that existed, once, before the first record is written.
    bool beginWriting();

    int count() const { return int(entries.size()); }
    QFile* file(int index) const { return entries[size_t(index)].file.get(); }
    QString name(int index) const { return entries[size_t(index)].name; }
    // The name as the user reads it.
    QString shownName(int index) const;
    // Why a write to file `index` just failed, from errno: call it right after the write.
    QString writeFailure(int index) const;

    // Closes every file; removes the files this run created if nothing was ever written.
    void close();

    QString errorString() const { return error; }

private:
    struct Entry
    {
        QString name;
        std::unique_ptr<QFile> file;
        bool created = false; // the run made the file: it did not exist before
    };

    bool fail(const QString& message);
    QString outputProblem(const QString& name, const struct stat& status, const struct stat* input,
                          const std::vector<std::pair<QString, struct stat>>& earlier) const;
    bool openOne(const QString& name);

    std::vector<Entry> entries;
    bool writing = false;
    QString error;
};

#endif
