#include "vectorkernel.h"

#include <QtTest>

// The choice of kernel that ROTAVIS_KERNEL forces, on processors that run some kernels only.
class TestVectorKernel : public QObject
{
    Q_OBJECT

private slots:
    void environmentChoosesTheKernel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("runnable");        // bit k: VectorKernel k runs
        QTest::addColumn<VectorKernel>("kernel"); // refused: the fastest
        QTest::addColumn<bool>("refused");
        const int all = 0b1111;
        const int noGfni = 0b0111;
        const int scalarOnly = 0b0001;
        QTest::newRow("unset: the fastest") << "" << all << VectorKernel::Avx2Gfni << false;
        QTest::newRow("unset, without GFNI") << "" << noGfni << VectorKernel::Avx2 << false;
        QTest::newRow("unset, scalar only") << "" << scalarOnly << VectorKernel::Scalar << false;
        QTest::newRow("scalar") << "scalar" << all << VectorKernel::Scalar << false;
        QTest::newRow("sse2") << "sse2" << all << VectorKernel::Sse2 << false;
        QTest::newRow("any case, spaces") << " AVX2 " << all << VectorKernel::Avx2 << false;
        QTest::newRow("gfni") << "gfni" << all << VectorKernel::Avx2Gfni << false;
        QTest::newRow("gfni without GFNI") << "gfni" << noGfni << VectorKernel::Avx2 << true;
        QTest::newRow("sse2 off x86") << "sse2" << scalarOnly << VectorKernel::Scalar << true;
        QTest::newRow("no such kernel") << "neon" << all << VectorKernel::Avx2Gfni << true;
    }
    void environmentChoosesTheKernel()
    {
        QFETCH(QString, name);
        QFETCH(int, runnable);
        QFETCH(VectorKernel, kernel);
        QFETCH(bool, refused);
        const auto runs = [runnable](VectorKernel k) { return (runnable >> int(k)) & 1; };
        const KernelChoice choice = chooseKernel(name, runs);
        QCOMPARE(!choice.error.isEmpty(), refused);
        QCOMPARE(choice.kernel, kernel);
        // A refusal names what was asked for.
        if (refused)
            QVERIFY2(choice.error.contains(name.trimmed()), qPrintable(choice.error));
    }
};

QTEST_APPLESS_MAIN(TestVectorKernel)
#include "tst_vectorkernel.moc"
