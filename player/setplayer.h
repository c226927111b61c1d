#ifndef ROTAVIS_SETPLAYER_H
#define ROTAVIS_SETPLAYER_H

#include "fandataset.h"
#include "fanframelines.h"
#include "fanviewpicture.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

class FanDataReader;
class Panel;

// Plays a saved fan data set as the fans of its panel show it: frame after frame, each
// fan's LEDs in the colours its file gives them, at the fan's place on the panel, front fans
// over rear ones, on black, as the window's fan view draws a converted frame. The 14-channel
// blades (224 and 192 LEDs) take their bit-plane turns in the order a conversion packs them:
// frame by frame, fan by fan in the panel's order, from a fresh run.
class SetPlayer
{
public:
    SetPlayer();
    ~SetPlayer();
    SetPlayer(const SetPlayer&) = delete;
    SetPlayer& operator=(const SetPlayer&) = delete;

    // Opens the set named `nameOrFile` (DIR/NAME, or any file of the set) and checks that its
    // files belong together: every file there, each sound fan data, all holding the same
    // number of whole frames. Otherwise errorString() says which file is wrong and how.
    bool open(const QString& nameOrFile);

    QString errorString() const { return m_error; }
    const FanDataSet& set() const { return m_set; }
    qint64 frameCount() const { return m_frames; }
    // The LED count of each file of the set, in fan order.
    QVector<int> ledCounts() const { return m_leds; }

    // Why the set cannot play on `panel` (another number of fans, a file whose blade is not
    // its fan's); empty when it can.
    QString panelProblem(const Panel& panel) const;

    // Each fan's record of frame `frame`, with the turn of its first line.
    QVector<FanFrameRecord> frameRecords(qint64 frame) const;

    // The picture of frame `frame` on `panel` (which must fit) for an area of `area`, of the
    // size FanViewPicture::panelRect gives; null for a frame the set does not hold.
    QImage picture(qint64 frame, const Panel& panel, const QSize& area);

private:
    bool fail(const QString& message);

    FanDataSet m_set;
    std::vector<std::unique_ptr<FanDataReader>> m_readers;
    QVector<int> m_leds;
    qint64 m_frames = 0;
    QString m_error;
    FanViewPicture m_painter;
};

#endif
