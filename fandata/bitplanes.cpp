#include "bitplanes.h"

#include "bladetypes.h"

#include <algorithm>
#include <cstring>

void packBitPlanes(uchar* out, const uchar* in, int channels, bool swapped)
{
    channels = std::clamp(channels, 0, 16);
    const int half = channels / 2;
    int wordBit[16];
    for (int c = 0; c < channels; ++c)
        wordBit[c] = !swapped ? c : (c < half ? c + half : c - half);

    for (int group = 0; group < 16; ++group) {
        quint32 value[16];
        for (int c = 0; c < channels; ++c) {
            const uchar* led = in + 3 * (group + 16 * c);
            value[c] = quint32(led[2]) << 16 | quint32(led[1]) << 8 | quint32(led[0]);
        }
        uchar* words = out + 48 * group;
        for (int bit = 23; bit >= 0; --bit) {
            quint32 word = 0;
            for (int c = 0; c < channels; ++c)
                word |= ((value[c] >> bit) & 1u) << wordBit[c];
            uchar* target = words + 2 * (23 - bit);
            target[0] = uchar(word & 0xFF);
            target[1] = uchar(word >> 8);
        }
    }
}

void unpackBitPlanes(uchar* out, const uchar* in, int channels, bool swapped)
{
    std::memset(out, 0, packedLineSize);
    channels = std::clamp(channels, 0, 16);
    const int half = channels / 2;
    for (int group = 0; group < 16; ++group) {
        const uchar* words = in + 48 * group;
        for (int c = 0; c < channels; ++c) {
            const int wordBit = !swapped ? c : (c < half ? c + half : c - half);
            quint32 value = 0;
            for (int bit = 23; bit >= 0; --bit) {
                const uchar* word = words + 2 * (23 - bit);
                const quint32 wordValue = quint32(word[0]) | quint32(word[1]) << 8;
                value |= ((wordValue >> wordBit) & 1u) << bit;
            }
            uchar* led = out + 3 * (group + 16 * c);
            led[0] = uchar(value & 0xFF);
            led[1] = uchar((value >> 8) & 0xFF);
            led[2] = uchar(value >> 16);
        }
    }
}

namespace {

// Transposes the 8 x 8 bits of `x`, row r in byte r, column c in bit c: bit c of byte r goes
// to bit r of byte c.
quint64 transposeBits(quint64 x)
{
    quint64 t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x ^= t ^ (t << 28);
    return x;
}

} // namespace

void unpackBitPlanesFast(uchar* out, const uchar* in, int channels, bool swapped)
{
    std::memset(out, 0, packedLineSize);
    channels = std::clamp(channels, 0, 16);
    const int half = channels / 2;
    for (int group = 0; group < 16; ++group) {
        const uchar* words = in + 48 * group;
        // The colour of each bit of the words: word k carries bit 23 - k of every colour.
        quint32 colourOfBit[16] = {};
        for (int block = 0; block < 3; ++block) {
            for (int byte = 0; byte < 2; ++byte) {
                // Rows: the words of colour bits 8 (2 - block) + r, least significant first.
                quint64 rows = 0;
                for (int r = 0; r < 8; ++r)
                    rows |= quint64(words[2 * (8 * block + 7 - r) + byte]) << (8 * r);
                const quint64 columns = transposeBits(rows);
                for (int bit = 0; bit < 8; ++bit)
                    colourOfBit[8 * byte + bit] |= quint32((columns >> (8 * bit)) & 0xFF)
                                                   << (8 * (2 - block));
            }
        }
        for (int c = 0; c < channels; ++c) {
            const int wordBit = !swapped ? c : (c < half ? c + half : c - half);
            const quint32 value = colourOfBit[wordBit];
            uchar* led = out + 3 * (group + 16 * c);
            led[0] = uchar(value & 0xFF);
            led[1] = uchar((value >> 8) & 0xFF);
            led[2] = uchar(value >> 16);
        }
    }
}

bool BitPlaneTurn::next()
{
    const bool current = m_swapped;
    advance(1);
    return current;
}

void BitPlaneTurn::advance(qint64 lines)
{
    const qint64 total = m_linesInTurn + lines;
    m_linesInTurn = int(total % linesPerTurn);
    if ((total / linesPerTurn) % 2 == 1)
        m_swapped = !m_swapped;
}

bool BitPlaneTurn::swappedAfter(qint64 packedLines)
{
    return (packedLines / linesPerTurn) % 2 == 1;
}

BitPlaneTurn& BitPlaneTurn::outputRuns()
{
    static BitPlaneTurn turn;
    return turn;
}
