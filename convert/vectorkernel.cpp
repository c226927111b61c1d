#include "vectorkernel.h"

VectorKernel fastestVectorKernel()
{
    return runsHere(VectorKernel::Avx2) ? VectorKernel::Avx2 : VectorKernel::Portable;
}

bool runsHere(VectorKernel kernel)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (kernel == VectorKernel::Avx2)
        return __builtin_cpu_supports("avx2");
#endif
    return kernel == VectorKernel::Portable;
}
