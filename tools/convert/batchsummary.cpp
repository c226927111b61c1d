#include "batchsummary.h"

#include "exitstatus.h"
#include "progressreporter.h"

#include <QStringList>

#include <algorithm>

namespace {

QString statusText(int status)
{
    switch (status) {
    case ClipOutcome::notStarted:
        return QStringLiteral("not started");
    case ExitSuccess:
        return QStringLiteral("done");
    case ExitUsage:
        return QStringLiteral("refused (2)");
    case ExitMediaUnreadable:
        return QStringLiteral("no picture (4)");
    case ExitOutputUnwritable:
        return QStringLiteral("not written (5)");
    default:
        if (status > ExitInterrupted)
            return QStringLiteral("interrupted (%1)").arg(status);
        return QStringLiteral("failed (%1)").arg(status);
    }
}

} // namespace

int worstStatus(const QList<ClipOutcome>& outcomes)
{
    int worst = ExitSuccess;
    for (const ClipOutcome& outcome : outcomes)
        worst = std::max(worst, outcome.status);
    return worst;
}

QString summaryTable(const QList<ClipOutcome>& outcomes)
{
    QList<QStringList> rows{{"clip", "frames", "files", "time", "status"}};
    for (const ClipOutcome& outcome : outcomes) {
        const bool ran = outcome.status != ClipOutcome::notStarted;
        rows.append({outcome.clip, ran ? QString::number(outcome.frames) : QString(),
                     ran ? QString::number(outcome.files) : QString(),
                     ran ? clockTime(outcome.elapsedMs) : QString(), statusText(outcome.status)});
    }
    int widths[5] = {};
    for (const QStringList& row : rows) {
        for (int column = 0; column < 5; ++column)
            widths[column] = std::max(widths[column], int(row.at(column).size()));
    }
    // Names and statuses read from the left, numbers line up on the right.
    QString table;
    for (const QStringList& row : rows) {
        QString line = row.at(0).leftJustified(widths[0]);
        for (int column = 1; column < 4; ++column)
            line += QStringLiteral("  ") + row.at(column).rightJustified(widths[column]);
        line += QStringLiteral("  ") + row.at(4);
        table += line + QLatin1Char('\n');
    }
    return table;
}
