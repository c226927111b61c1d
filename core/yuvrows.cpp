#include "vectorkernel.h"
#include "yuvrowskernel.h"

void convertYuvRowPairPlain(const YuvRowPair& rows)
{
    convertRows(rows);
}

void convertYuvRowPair(const YuvRowPair& rows)
{
#if defined(__x86_64__) || defined(__i386__)
    // The conversion's choice, so that ROTAVIS_KERNEL forces this loop too.
    static const bool avx2 = usesAvx2(selectedVectorKernel());
    if (avx2)
        return convertYuvRowPairAvx2(rows);
#endif
    convertRows(rows);
}
