#ifndef ROTAVIS_VECTORKERNEL_H
#define ROTAVIS_VECTORKERNEL_H

#include <QMetaType>

// Which loops the fast path runs where it has two versions of a loop: portable C++, or AVX2
// where the processor has it. Both give the same bytes; the tests run both.
enum class VectorKernel
{
    Portable,
    Avx2,
};

// The fastest kernel this processor runs.
VectorKernel fastestVectorKernel();
// Whether this processor runs `kernel`.
bool runsHere(VectorKernel kernel);

Q_DECLARE_METATYPE(VectorKernel)

#endif
