#include "fandataset.h"

#include "nativepath.h"

#include <QDir>

#include <cerrno>
#include <sys/file.h>

namespace {

const QString fileSuffix = QStringLiteral(".bin");
const QString numberMark = QStringLiteral("__");

// The fan number in a numbered file's name, as a save writes it (no sign, no leading zero);
// -1 for anything else.
int fanNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 9 || (text.size() > 1 && text.startsWith('0')))
        return -1;
    for (const QChar c : text) {
        if (c < '0' || c > '9')
            return -1;
    }
    return text.toInt();
}

} // namespace

FanDataSet::FanDataSet(const QString& name, int fanCount) : m_name(name), m_fanCount(fanCount) {}

QString FanDataSet::suffix()
{
    return fileSuffix;
}

QString FanDataSet::fileName(const QString& name, int fan, int fanCount)
{
    if (fanCount == 1)
        return name + fileSuffix;
    return name + numberMark + QString::number(fan) + fileSuffix;
}

QString FanDataSet::nameOfFile(const QString& file)
{
    if (!file.endsWith(fileSuffix) || file.endsWith('/' + fileSuffix) || file == fileSuffix)
        return file;
    const QString stripped = file.left(file.size() - fileSuffix.size());
    const int mark = stripped.lastIndexOf(numberMark);
    if (mark > 0 && stripped.at(mark - 1) != '/') {
        const QString name = stripped.left(mark);
        const int fan = fanNumber(stripped.mid(mark + numberMark.size()));
        if (fan >= 0 && find(name).numbered.count(fan) == 1)
            return name;
    }
    return stripped;
}

QStringList FanDataSet::files() const
{
    QStringList result;
    for (int fan = 0; fan < m_fanCount; ++fan)
        result << file(fan);
    return result;
}

QStringList FanDataSet::strayFiles() const
{
    const OnDisk found = find(m_name);
    QStringList stray;
    if (!found.single.isEmpty() && m_fanCount != 1)
        stray << found.single;
    for (const auto& numbered : found.numbered) {
        if (m_fanCount == 1 || numbered.first >= m_fanCount)
            stray << numbered.second;
    }
    return stray;
}

FanDataSet::OnDisk FanDataSet::find(const QString& name)
{
    const int slash = name.lastIndexOf('/');
    const QString folder = slash < 0 ? QStringLiteral(".") : name.left(slash + 1);
    const QString base = name.mid(slash + 1);

    // Only the names of the set are looked at any closer: the folder may hold thousands.
    const auto ofTheSet = [&base](const QString& file) {
        return file.size() >= base.size() + fileSuffix.size() && file.startsWith(base) &&
               file.endsWith(fileSuffix);
    };
    OnDisk found;
    for (const QString& path : NativePath::filesIn(folder, ofTheSet)) {
        const QString file = path.mid(path.lastIndexOf('/') + 1);
        const QString rest = file.mid(base.size(), file.size() - base.size() - fileSuffix.size());
        if (rest.isEmpty()) {
            found.single = fileName(name, 0, 1);
        } else if (rest.startsWith(numberMark)) {
            const int fan = fanNumber(rest.mid(numberMark.size()));
            if (fan >= 0)
                found.numbered[fan] = fileName(name, fan, 2);
        }
    }
    return found;
}

QString FanDataSet::wholeSet(const QString& name, const OnDisk& found, FanDataSet* set)
{
    const auto shown = [](const QString& path) { return QDir::toNativeSeparators(path); };
    if (found.isEmpty())
        return QStringLiteral("no fan data files %1 or %2")
            .arg(shown(fileName(name, 0, 1)), shown(fileName(name, 0, 2)));
    if (!found.single.isEmpty() && !found.numbered.empty())
        return QStringLiteral("%1 and %2 belong to two sets of one name (a panel of one fan and "
                              "one of several); move one of them away")
            .arg(shown(found.single), shown(found.numbered.begin()->second));
    if (!found.single.isEmpty()) {
        *set = FanDataSet(name, 1);
        return QString();
    }
    const int count = found.numbered.rbegin()->first + 1;
    QStringList missing;
    for (int fan = 0; fan < count; ++fan) {
        if (found.numbered.count(fan) == 0)
            missing << shown(fileName(name, fan, count));
    }
    if (!missing.isEmpty())
        return QStringLiteral("the set of %1 files ends at %2, but %3 %4 missing")
            .arg(count)
            .arg(shown(found.numbered.rbegin()->second), missing.join(QStringLiteral(", ")),
                 missing.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    *set = FanDataSet(name, count);
    return QString();
}

bool FanDataSet::lockFile(int descriptor)
{
    int result;
    do
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}
