#include "vectorkernel.h"

#include <QStringList>

namespace {

constexpr VectorKernel allKernels[] = {VectorKernel::Scalar, VectorKernel::Sse2, VectorKernel::Avx2,
                                       VectorKernel::Avx2Gfni};

struct Selection
{
    KernelChoice choice;
    Selection() : choice(chooseKernel(qEnvironmentVariable("ROTAVIS_KERNEL"))) {}
};

const Selection& selection()
{
    static const Selection instance;
    return instance;
}

} // namespace

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
#ifdef ROTAVIS_X86_KERNELS
    if (kernel == VectorKernel::Sse2)
        return true; // part of every x86-64 processor
    if (kernel == VectorKernel::Avx2)
        return __builtin_cpu_supports("avx2");
    if (kernel == VectorKernel::Avx2Gfni)
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("gfni");
#endif
    return kernel == VectorKernel::Scalar;
}

QString kernelName(VectorKernel kernel)
{
    switch (kernel) {
    case VectorKernel::Scalar:
        return QStringLiteral("scalar");
    case VectorKernel::Sse2:
        return QStringLiteral("sse2");
    case VectorKernel::Avx2:
        return QStringLiteral("avx2");
    case VectorKernel::Avx2Gfni:
        return QStringLiteral("gfni");
    }
    return QString();
}

KernelChoice chooseKernel(const QString& name, const std::function<bool(VectorKernel)>& runs)
{
    // The fastest the processor runs, unless a kernel that runs is named.
    KernelChoice choice;
    for (VectorKernel kernel :
         {VectorKernel::Avx2Gfni, VectorKernel::Avx2, VectorKernel::Sse2, VectorKernel::Scalar}) {
        if (runs(kernel)) {
            choice.kernel = kernel;
            break;
        }
    }
    const QString wanted = name.trimmed().toLower();
    if (wanted.isEmpty())
        return choice;
    QStringList names;
    for (VectorKernel kernel : allKernels) {
        names << kernelName(kernel);
        if (kernelName(kernel) != wanted)
            continue;
        if (runs(kernel))
            choice.kernel = kernel;
        else
            choice.error = QStringLiteral("ROTAVIS_KERNEL=%1: this processor or build does not "
                                          "run the %1 kernel")
                               .arg(wanted);
        return choice;
    }
    choice.error = QStringLiteral("ROTAVIS_KERNEL=%1: no such kernel (%2)")
                       .arg(name.trimmed(), names.join(QStringLiteral(", ")));
    return choice;
}

VectorKernel selectedVectorKernel()
{
    return selection().choice.kernel;
}

QString kernelChoiceError()
{
    return selection().choice.error;
}
