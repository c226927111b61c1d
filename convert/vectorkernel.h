#ifndef ROTAVIS_VECTORKERNEL_H
#define ROTAVIS_VECTORKERNEL_H

#include <QMetaType>
#include <QString>

#include <functional>

// Whether this build has the x86 kernels (SSE2, AVX2, AVX2 with GFNI): GCC or Clang on x86,
// where single functions can be compiled for AVX2 and the processor is asked at run time.
// The build system compiles the files of those kernels on x86 only.
#if defined(__GNUC__) && defined(__x86_64__)
#define ROTAVIS_X86_KERNELS 1
#endif

// Which loops the fast path runs where it has more than one version of a loop: plain C++
// (compiled everywhere), SSE2 (every x86-64 processor), AVX2 where the processor has it, or
// AVX2 with the bit-plane packing done by GFNI affine transformations where it has both. All
// give the same bytes; the tests run each that the processor runs.
enum class VectorKernel
{
    Scalar,
    Sse2,
    Avx2,
    Avx2Gfni,
// The kernel every processor of this build's architecture runs.
#ifdef ROTAVIS_X86_KERNELS
    Portable = Sse2,
#else
    Portable = Scalar,
#endif
};

// Whether `kernel` runs the AVX2 loops.
inline bool usesAvx2(VectorKernel kernel)
{
    return kernel == VectorKernel::Avx2 || kernel == VectorKernel::Avx2Gfni;
}

// Whether `kernel` runs the SSE2 loops (the AVX2 kernels run them for what is left over).
inline bool usesSse2(VectorKernel kernel)
{
    return kernel != VectorKernel::Scalar;
}

// The fastest kernel this processor runs.
VectorKernel fastestVectorKernel();
// Whether this processor runs `kernel`.
bool runsHere(VectorKernel kernel);
// `kernel` where this processor runs it, else the portable one.
VectorKernel usableHere(VectorKernel kernel);

// The kernel's name as ROTAVIS_KERNEL takes it: scalar, sse2, avx2, gfni.
QString kernelName(VectorKernel kernel);

// The kernel a conversion runs by default: the one ROTAVIS_KERNEL names, else (also where
// it cannot be followed, see kernelChoiceError) the fastest. Chosen once per process.
VectorKernel selectedVectorKernel();

// Why the kernel ROTAVIS_KERNEL names cannot be run, for the programs to refuse to start
// with; empty when it is unset or can be run.
QString kernelChoiceError();

// The choice `name` (ROTAVIS_KERNEL's value; empty: none) makes on a processor that runs
// the kernels `runs` accepts.
struct KernelChoice
{
    VectorKernel kernel = VectorKernel::Portable;
    QString error; // why `name` cannot be followed (`kernel` is then the fastest), or empty
};
KernelChoice chooseKernel(const QString& name,
                          const std::function<bool(VectorKernel)>& runs = runsHere);

Q_DECLARE_METATYPE(VectorKernel)

#endif
