#ifndef ROTAVIS_FANDATASET_H
#define ROTAVIS_FANDATASET_H

#include <QString>
#include <QStringList>

#include <map>

// A fan data set: the files one save writes for one panel under one name (DIR/NAME, as the
// operator gave it). A panel of one fan gets NAME.bin; a panel of several gets NAME__0.bin,
// NAME__1.bin, ..., numbered like the panel's fans. Every writer and reader of sets goes
// through here for the names, for what lies on disk under a name, and for the set's lock.
class FanDataSet
{
public:
    // The set `name` of a panel of `fanCount` fans.
    FanDataSet(const QString& name, int fanCount);

    // The file of fan `fan` of a set of `fanCount` fans named `name`.
    static QString fileName(const QString& name, int fan, int fanCount);

    // The ending of every fan data file's name, ".bin".
    static QString suffix();
    // Whether `path` is named like a fan data file (in this case only).
    static bool isFanDataFile(const QString& path) { return path.endsWith(suffix()); }

    // The name of the set that `file` belongs to: DIR/NAME for DIR/NAME__k.bin (where that
    // names a file of a numbered set) and for DIR/NAME.bin; a text that names no file of a
    // set stays as it is, taken for the name itself.
    static QString nameOfFile(const QString& file);

    QString name() const { return m_name; }
    int fanCount() const { return m_fanCount; }
    QString file(int fan) const { return fileName(m_name, fan, m_fanCount); }
    QStringList files() const;

    // Files on disk under this name that belong to another set of it: numbered files beyond
    // this set's fans, NAME.bin beside a numbered set, numbered files beside NAME.bin. A save
    // replaces them along with its own files, so that the name stands for one set only.
    QStringList strayFiles() const;

    // The regular files on disk under `name`, however many fans made them.
    struct OnDisk
    {
        QString single;                  // NAME.bin, empty when there is none
        std::map<int, QString> numbered; // NAME__k.bin by k
        bool isEmpty() const { return single.isEmpty() && numbered.empty(); }
    };
    static OnDisk find(const QString& name);

    // Why the files `found` under `name` are not one whole set (both forms of the name, or a
    // numbered file missing before the last); empty when they are. On success *set is the set.
    static QString wholeSet(const QString& name, const OnDisk& found, FanDataSet* set);

    // Takes the set's lock on an open file of it, without waiting: false when another run
    // holds it. The lock is advisory and lasts as long as the descriptor is open; every run
    // that writes or cuts a set's files takes it on each of them, so that two runs never
    // write one set at once.
    static bool lockFile(int descriptor);

private:
    QString m_name;
    int m_fanCount = 0;
};

#endif
