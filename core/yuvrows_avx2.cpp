// Compiled for AVX2 (see CMakeLists.txt) and called only where the processor has it.
#include "yuvrowskernel.h"

void convertYuvRowPairAvx2(const YuvRowPair& rows)
{
    convertRows(rows);
}
