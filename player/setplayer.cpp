#include "setplayer.h"

#include "bitplanes.h"
#include "bladetypes.h"
#include "fan.h"
#include "fandatareader.h"
#include "nativepath.h"
#include "panel.h"
#include "setrepair.h"

#include <QDir>
#include <QStringList>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString ledText(int leds)
{
    return QStringLiteral("%1 LED%2").arg(leds).arg(leds == 1 ? "" : "s");
}

} // namespace

SetPlayer::SetPlayer() : m_set(QString(), 0) {}

SetPlayer::~SetPlayer() = default;

bool SetPlayer::fail(const QString& message)
{
    m_error = message;
    m_readers.clear();
    m_leds.clear();
    m_frames = 0;
    return false;
}

bool SetPlayer::open(const QString& nameOrFile)
{
    m_error.clear();
    const QString name = FanDataSet::nameOfFile(nameOrFile);
    const QString incomplete = FanDataSet::wholeSet(name, FanDataSet::find(name), &m_set);
    if (!incomplete.isEmpty())
        return fail(incomplete);

    m_readers.clear();
    m_leds.clear();
    QVector<CutOffFile> files;
    for (const QString& path : m_set.files()) {
        auto reader = std::make_unique<FanDataReader>();
        const bool readable = reader->openCutOff(path);
        if (!readable)
            return fail(QStringLiteral("%1: %2").arg(shown(path), reader->errorString()));
        files << CutOffFile::from(path, NativePath::status(path).size, *reader, readable);
        m_leds << reader->ledpcs();
        m_readers.push_back(std::move(reader));
    }

    // A set that a killed run left: the frames it holds whole in every file are known, but
    // which of them the operator wants is for --repair to settle, not for a player to guess.
    bool whole = true;
    QStringList counts;
    for (const CutOffFile& file : files) {
        whole = whole && file.size == file.wholeFrames * file.frameBytes &&
                file.wholeFrames == files.first().wholeFrames;
        counts << QString::number(file.wholeFrames);
    }
    if (!whole) {
        const RepairPlan plan = RepairPlan::forFiles(files);
        const QString held = QStringLiteral("the files hold %1 frames").arg(counts.join(", "));
        return fail(
            plan.refusal.isEmpty()
                ? QStringLiteral("%1; --repair cuts them to %2").arg(held).arg(plan.wholeFrames)
                : QStringLiteral("%1: %2").arg(held, plan.refusal));
    }
    m_frames = files.first().wholeFrames;
    return true;
}

QString SetPlayer::panelProblem(const Panel& panel) const
{
    if (panel.fans.size() != m_leds.size())
        return QStringLiteral("the set has %1 files, the panel \"%2\" %3 fans")
            .arg(m_leds.size())
            .arg(panel.model)
            .arg(panel.fans.size());
    for (int i = 0; i < m_leds.size(); ++i) {
        const int leds = panel.fans.at(i)->ledpcs;
        if (leds != m_leds.at(i))
            return QStringLiteral("%1 holds the data of %2, fan %3 of the panel \"%4\" has %5")
                .arg(shown(m_set.file(i)), ledText(m_leds.at(i)))
                .arg(i)
                .arg(panel.model, ledText(leds));
    }
    return QString();
}

QVector<FanFrameRecord> SetPlayer::frameRecords(qint64 frame) const
{
    QVector<FanFrameRecord> fans;
    if (frame < 0 || frame >= m_frames)
        return fans;
    // A conversion packs the 14-channel fans' lines one after the other, fan by fan in list
    // order and frame by frame, the halves swapping every so many lines from its start.
    int fourteenChannelFans = 0;
    for (const int leds : m_leds)
        fourteenChannelFans += bitPlaneChannelsOf(leds) == 14 ? 1 : 0;
    int fourteenChannelFansBefore = 0;
    for (size_t i = 0; i < m_readers.size(); ++i) {
        FanFrameRecord fan;
        fan.ledpcs = m_leds.at(int(i));
        fan.record = m_readers[i]->frameRecord(frame);
        fan.takesTurns = bitPlaneChannelsOf(fan.ledpcs) == 14;
        fan.firstTurn.advance((frame * fourteenChannelFans + fourteenChannelFansBefore) *
                              m_readers[i]->linesPerFrame());
        fourteenChannelFansBefore += fan.takesTurns ? 1 : 0;
        fans.append(fan);
    }
    return fans;
}

QImage SetPlayer::picture(qint64 frame, const Panel& panel, const QSize& area)
{
    if (frame < 0 || frame >= m_frames || !panelProblem(panel).isEmpty())
        return QImage();
    return m_painter.paint(panel, linesOf(frameRecords(frame)), area);
}
