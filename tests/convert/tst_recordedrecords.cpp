#include "bitplanes.h"
#include "fanpanel.h"
#include "noiseimage.h"
#include "panelconversion.h"
#include "sampling.h"
#include "scalemap.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtTest>

namespace {

// The recorded SHA-256 of each case, from recordedrecords.txt: "case hash" per line.
QMap<QString, QByteArray> recordedHashes()
{
    QMap<QString, QByteArray> hashes;
    QFile file(QStringLiteral(ROTAVIS_RECORDED_RECORDS));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return hashes;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const int space = line.lastIndexOf(' ');
        if (!line.startsWith('#') && space > 0)
            hashes.insert(QString::fromUtf8(line.left(space)), line.mid(space + 1));
    }
    return hashes;
}

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace

// Fan data made by the Qt 5 build, recorded as hashes, so that a build with another Qt (whose
// scaling, rounding and painting may differ) or on another processor is held to the same
// bytes. Each case runs through both the straightforward and the fast conversion.
class TestRecordedRecords : public QObject
{
    Q_OBJECT

private slots:
    void recordsMatchTheRecordedOnes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blended front fans") << "blended front fans";
        QTest::newRow("packed and hub-dimmed blades") << "packed and hub-dimmed blades";
        QTest::newRow("selection on half pixels") << "selection on half pixels";
    }
    void recordsMatchTheRecordedOnes()
    {
        QFETCH(QString, name);
        FanPanel fans;
        Panel& panel = fans.panel;
        QSize frameSize(96, 64);
        if (name == "blended front fans") {
            panel.width = 130;
            panel.height = 64;
            panel.edgeOffset = 12;
            panel.colorOffset0 = "0:(0,0,0,255)|0.5:(20,40,60,128)|1:(0,0,0,0)";
            panel.colorOffset1 = "0:(0,0,0,0)|0.6:(0,0,0,96)|1:(255,0,0,255)";
            fans.addFan(64, 32, 32, 0, 64);
            fans.addFan(60, 80, 32, 1, 60);
            fans.addFan(99, 100, 30, 2, 80);
        } else if (name == "packed and hub-dimmed blades") {
            panel.width = panel.height = 330;
            frameSize = QSize(160, 120);
            fans.addFan(320, 165, 165, 0, 320);
            fans.addFan(192, 165, 165, 1, 192);
            fans.addFan(224, 120, 150, 2, 224);
        } else {
            // Halves round up, also below zero; a selection reaching past the frame.
            panel.width = 70;
            panel.height = 40;
            panel.selection = QRectF(-2.5, 1.5, 40.5, 21.5);
            fans.addFan(64, 35, 20, 0, 64);
        }
        PanelConversion conversion(panel, 2);
        BitPlaneTurn referenceTurn;
        BitPlaneTurn turn;
        QByteArray reference;
        QByteArray fast;
        for (int frame = 0; frame < 2; ++frame) {
            const QImage picture =
                noiseImage(frameSize.width(), frameSize.height(), 2026u + quint32(frame));
            for (const QByteArray& record : frameRecords(picture, panel, referenceTurn))
                reference += record;
            conversion.convert(picture, turn);
            for (int f = 0; f < panel.fans.size(); ++f)
                fast += conversion.frameRecord(f);
        }
        QVERIFY(!reference.isEmpty());
        QCOMPARE(sha256(fast), sha256(reference));
        const QByteArray recorded = recordedHashes().value(name);
        QVERIFY2(sha256(reference) == recorded,
                 qPrintable(QString("%1: the records hash to %2, recorded: %3")
                                .arg(name, QString::fromLatin1(sha256(reference)),
                                     QString::fromLatin1(recorded))));
    }

    // A very wide picture, where Qt 6's own scaling steps differently from Qt 5.15's.
    void scalingBeyondFixedPointMatchesTheRecorded()
    {
        const QImage scaled = nearestScaled(noiseImage(40000, 2, 7), QSize(40010, 3));
        QByteArray bytes;
        for (int y = 0; y < scaled.height(); ++y)
            bytes.append(reinterpret_cast<const char*>(scaled.constScanLine(y)),
                         3 * scaled.width());
        QCOMPARE(sha256(bytes), recordedHashes().value("scaling beyond fixed point"));
    }
};

QTEST_MAIN(TestRecordedRecords)
#include "tst_recordedrecords.moc"
