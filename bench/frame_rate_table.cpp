// The README's table of how long a clip lasts on a panel, from the rate conversion itself:
// for a 10 s clip at each rate, the frames each timing makes and their length at 18 Hz.
//
//   frame_rate_table [HZ] [SECONDS]

#include "rateconversion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    const double hz = argc > 1 ? std::atof(argv[1]) : 18.0;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    std::printf("| clip | stepped (default) | exact |\n|---|---|---|\n");
    for (const double fps : {24.0, 25.0, 30.0, 50.0, 60.0}) {
        const qint64 pictures = std::llround(seconds * fps);
        const qint64 stepped = RateConversion(fps, hz, Timing::Stepped).framesOf(pictures);
        const qint64 exact = RateConversion(fps, hz, Timing::Exact).framesOf(pictures);
        std::printf("| %g s at %g fps | %lld frames, %.1f s | %lld frames, %.1f s |\n", seconds,
                    fps, (long long)stepped, stepped / hz, (long long)exact, exact / hz);
    }
    return 0;
}
