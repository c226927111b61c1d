#include "pixelruns.h"

PixelRuns pixelRunsOf(const std::vector<std::uint8_t>& marks, QSize size, int join)
{
    PixelRuns runs;
    const int width = size.width();
    for (int y = 0; y < size.height(); ++y) {
        const std::uint8_t* row = marks.data() + size_t(y) * size_t(width);
        int x = 0;
        while (x < width) {
            while (x < width && row[x] == 0)
                ++x;
            if (x == width)
                break;
            const int begin = x;
            while (x < width && row[x] != 0)
                ++x;
            if (!runs.empty() && runs.back().row == y && begin - runs.back().end < join)
                runs.back().end = x;
            else
                runs.push_back({y, begin, x});
        }
    }
    return runs;
}

PixelRuns pixelRunsOutside(const PixelRuns& runs, QSize size)
{
    PixelRuns outside;
    auto run = runs.begin();
    for (int y = 0; y < size.height(); ++y) {
        int x = 0;
        for (; run != runs.end() && run->row == y; ++run) {
            if (run->begin > x)
                outside.push_back({y, x, run->begin});
            x = run->end;
        }
        if (x < size.width())
            outside.push_back({y, x, size.width()});
    }
    return outside;
}
