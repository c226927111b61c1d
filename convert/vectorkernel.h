#ifndef ROTAVIS_VECTORKERNEL_H
#define ROTAVIS_VECTORKERNEL_H

#include <QMetaType>

// Whether this build has the AVX2 kernels: GCC or Clang on x86, where single functions can be
// compiled for AVX2 and the processor is asked at run time.
#if defined(__GNUC__) && defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define ROTAVIS_AVX2_KERNELS 1
#endif

// Which loops the fast path runs where it has more than one version of a loop: portable C++,
// AVX2 where the processor has it, or AVX2 with the bit-plane packing done by GFNI affine
// transformations where it has both. All give the same bytes; the tests run each.
enum class VectorKernel
{
    Portable,
    Avx2,
    Avx2Gfni,
};

// Whether `kernel` runs the AVX2 loops.
inline bool usesAvx2(VectorKernel kernel)
{
    return kernel == VectorKernel::Avx2 || kernel == VectorKernel::Avx2Gfni;
}

// The fastest kernel this processor runs.
VectorKernel fastestVectorKernel();
// Whether this processor runs `kernel`.
bool runsHere(VectorKernel kernel);
// `kernel` where this processor runs it, else the portable one.
VectorKernel usableHere(VectorKernel kernel);

Q_DECLARE_METATYPE(VectorKernel)

#endif
