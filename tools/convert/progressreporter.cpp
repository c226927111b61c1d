#include "progressreporter.h"

#include "messages.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 plainLineIntervalMs = 10000;
constexpr int barWidth = 30;

} // namespace

QString clockTime(qint64 ms)
{
    const qint64 total = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(total / 3600)
        .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 60, 2, 10, QLatin1Char('0'));
}

ProgressReporter::ProgressReporter(std::FILE* stream, bool live, double fps, qint64 durationMs,
                                   const QString& label)
    : stream(stream), live(live), fps(fps), durationMs(durationMs),
      label(label.isEmpty() ? label : label + QStringLiteral(": "))
{
    clock.start();
}

QString ProgressReporter::describe(qint64 framesDone, int frameIndex, qint64 elapsedMs) const
{
    QString text = counted(framesDone, QStringLiteral("frame"));
    if (!(std::isfinite(fps) && fps > 0 && durationMs > 0))
        return label + text;
    const double fraction = std::clamp(frameIndex / fps * 1000 / double(durationMs), 0.0, 1.0);
    QString bar;
    if (live) {
        const int filled = int(fraction * barWidth);
        bar = QStringLiteral("[%1%2] ").arg(QString(filled, '#'), QString(barWidth - filled, '.'));
    }
    text = bar + QStringLiteral("%1%  %2").arg(int(fraction * 100), 3).arg(text);
    if (fraction > 0) {
        const qint64 left = qint64(elapsedMs * (1 - fraction) / fraction);
        text += QStringLiteral("  %1 left").arg(clockTime(left));
    }
    return label + text;
}

void ProgressReporter::update(qint64 framesDone, int frameIndex)
{
    const qint64 now = clock.elapsed();
    if (live) {
        std::fprintf(stream, "\r%s\033[K", qPrintable(describe(framesDone, frameIndex, now)));
        std::fflush(stream);
        drawn = true;
    } else if (now - lastLineMs >= plainLineIntervalMs) {
        lastLineMs = now;
        std::fprintf(stream, "%s\n", qPrintable(describe(framesDone, frameIndex, now)));
        std::fflush(stream);
    }
}

void ProgressReporter::finish()
{
    if (drawn)
        std::fprintf(stream, "\n");
    drawn = false;
}

void ProgressReporter::conclude(const QString& text)
{
    std::fprintf(stream, "%s%s%s\n", drawn ? "\r" : "", qPrintable(label + text),
                 drawn ? "\033[K" : "");
    std::fflush(stream);
    drawn = false;
}
