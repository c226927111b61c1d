#include "fan.h"
#include "nativepath.h"
#include "panel.h"

#include <QPointer>
#include <QtTest>

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    // Qt writes a byte that is not UTF-8 as "?": a failed open must not fall back to that name.
    void failedOpenOpensNoOtherFile()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        const QString missing = NativePath::fromBytes(folder + "/caf\xe9");
        QFile lossy(QFile::decodeName(QFile::encodeName(missing)));
        QVERIFY(QFile::encodeName(missing) != folder + "/caf\xe9");
        QVERIFY(lossy.open(QIODevice::WriteOnly));
        lossy.close();
        QFile file;
        QVERIFY(!NativePath::open(file, missing, QIODevice::ReadOnly));
        QVERIFY(!file.isOpen());
    }

    void panelStartsWithDefaultRateAndEmptySelection()
    {
        Panel panel;
        QCOMPARE(panel.hz, 18.0);
        QCOMPARE(panel.selection, QRectF(0, 0, 0, 0));
        QVERIFY(panel.fans.isEmpty());
        QVERIFY(panel.model.isEmpty());
        QVERIFY(panel.colorOffset0.isEmpty());
        QVERIFY(panel.colorOffset1.isEmpty());
        QCOMPARE(panel.parent(), nullptr);
    }

    void fanStartsCentredAtOriginWithoutOutput()
    {
        Fan fan;
        QCOMPARE(fan.x, 0.0);
        QCOMPARE(fan.y, 0.0);
        QCOMPARE(fan.stream, nullptr);
        QCOMPARE(fan.file, nullptr);
    }

    void objectsAnswerTheirClassNames()
    {
        Panel panel;
        Fan fan;
        QObject* asPanel = &panel;
        QObject* asFan = &fan;
        QCOMPARE(qobject_cast<Panel*>(asPanel), &panel);
        QCOMPARE(qobject_cast<Fan*>(asPanel), nullptr);
        QCOMPARE(qobject_cast<Fan*>(asFan), &fan);
        QCOMPARE(QString(panel.metaObject()->className()), QString("Panel"));
        QCOMPARE(QString(fan.metaObject()->className()), QString("Fan"));
    }

    void panelPointerTravelsThroughQueuedConnections()
    {
        Panel panel;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        const int id = QMetaType::fromName("Panel*").id();
#else
        const int id = QMetaType::type("Panel*");
#endif
        QVERIFY(id != QMetaType::UnknownType);
        QCOMPARE(id, qMetaTypeId<Panel*>());
        const QVariant carried = QVariant::fromValue(&panel);
        QCOMPARE(carried.value<Panel*>(), &panel);
    }

    void destroyingAPanelLeavesItsFansAlive()
    {
        auto* fan = new Fan;
        QPointer<Fan> watch(fan);
        {
            Panel panel;
            panel.fans.append(fan);
        }
        QVERIFY(!watch.isNull());
        delete fan;
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
