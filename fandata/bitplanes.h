#ifndef ROTAVIS_BITPLANES_H
#define ROTAVIS_BITPLANES_H

#include <QtGlobal>

// Packs 16 groups of `channels` LEDs (LED g + 16 c for group g and channel c, read from the
// 768 bytes at `in`) into 24 bit-plane words per group, 768 bytes at `out`, blue's most
// significant bit first. `swapped` exchanges the two halves of the channels within each word.
// `channels` is at most 16.
void packBitPlanes(uchar* out, const uchar* in, int channels, bool swapped);

// The inverse of packBitPlanes: the 768 bytes at `in` back into the colours of LED g + 16 c.
// LEDs of channels that do not exist come out black. The step-by-step version, the reference
// of unpackBitPlanesFast.
void unpackBitPlanes(uchar* out, const uchar* in, int channels, bool swapped);

// The same bytes as unpackBitPlanes, by transposing blocks of 8 x 8 bits at once: what a
// view or a video of a set does for every packed line of every frame.
void unpackBitPlanesFast(uchar* out, const uchar* in, int channels, bool swapped);

// The 14-channel controllers (224- and 192-LED blades) expect the two halves of the blade
// exchanged in turns of 300 lines, counted over every such line packed. An output run
// continues the turn where the last run of the process left it; other users (a live view)
// keep a turn of their own so as not to disturb it.
class BitPlaneTurn
{
public:
    static constexpr int linesPerTurn = 300;

    // Whether the next packed line is swapped, and how many lines of its turn went before.
    bool swapped() const { return m_swapped; }
    int linesInTurn() const { return m_linesInTurn; }

    // The swap of the next packed line; then the turn moves on by that line.
    bool next();
    // Moves on as if `lines` lines had been packed.
    void advance(qint64 lines);

    // The turn after `packedLines` lines, starting from a fresh (unswapped) turn.
    static bool swappedAfter(qint64 packedLines);

    // The turn that the output runs of this process share, from the first run to the last.
    static BitPlaneTurn& outputRuns();

private:
    bool m_swapped = false;
    int m_linesInTurn = 0;
};

#endif
