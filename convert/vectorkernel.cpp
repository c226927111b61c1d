#include "vectorkernel.h"

VectorKernel fastestVectorKernel()
{
    for (VectorKernel kernel : {VectorKernel::Avx2Gfni, VectorKernel::Avx2}) {
        if (runsHere(kernel))
            return kernel;
    }
    return VectorKernel::Portable;
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
    if (kernel == VectorKernel::Avx2Gfni)
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("gfni");
#endif
    return kernel == VectorKernel::Portable;
}
