#include "vectorkernel.h"

VectorKernel fastestVectorKernel()
{
    return runsHere(VectorKernel::Avx2) ? VectorKernel::Avx2 : VectorKernel::Portable;
}

VectorKernel usableHere(VectorKernel kernel)
{
    return runsHere(kernel) ? kernel : VectorKernel::Portable;
}

bool runsHere(VectorKernel kernel)
{
#ifdef ROTAVIS_AVX2_KERNELS
    if (kernel == VectorKernel::Avx2)
        return __builtin_cpu_supports("avx2");
#endif
    return kernel == VectorKernel::Portable;
}
