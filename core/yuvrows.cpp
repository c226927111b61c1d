#include "yuvrowskernel.h"

void convertYuvRowPairPlain(const YuvRowPair& rows)
{
    convertRows(rows);
}

void convertYuvRowPair(const YuvRowPair& rows)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return convertYuvRowPairAvx2(rows);
#endif
    convertRows(rows);
}
