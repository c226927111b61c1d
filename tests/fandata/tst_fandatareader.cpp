#include "fandatafile.h"
#include "fandatareader.h"

#include <QTemporaryDir>
#include <QtTest>
class TestFanDataReader : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryBladeType_data()
    {
        QTest::addColumn<int>("ledpcs");
        QTest::addColumn<int>("lines");
        QTest::addColumn<qint64>("frameBytes");
        QTest::newRow("1088") << 1088 << 399 << qint64(1315104);
        QTest::newRow("704") << 704 << 400 << qint64(857600);
        QTest::newRow("512") << 512 << 400 << qint64(627200);
        QTest::newRow("320") << 320 << 400 << qint64(400 * (8 + 960));
        QTest::newRow("256") << 256 << 400 << qint64(400 * (8 + 768));
        QTest::newRow("224") << 224 << 400 << qint64(400 * (8 + 672));
        QTest::newRow("192") << 192 << 400 << qint64(400 * (8 + 576));
        QTest::newRow("99") << 99 << 400 << qint64(400 * (8 + 297));
        QTest::newRow("703") << 703 << 400 << qint64(400 * (8 + 2109));
        QTest::newRow("1") << 1 << 400 << qint64(400 * 11);
    }

    void readsEveryBladeType()
    {
        QFETCH(int, ledpcs);
        QFETCH(int, lines);
        QFETCH(qint64, frameBytes);
        FanDataReader reader;
        QVERIFY2(reader.read(numberedFanFile(ledpcs, 3)), qPrintable(reader.errorString()));
        QCOMPARE(reader.ledpcs(), ledpcs);
        QCOMPARE(reader.linesPerFrame(), lines);
        QCOMPARE(reader.frameBytes(), frameBytes);
        QCOMPARE(reader.frameCount(), qint64(3));
        QVERIFY(reader.errorString().isEmpty());

        const QVector<QByteArray> frame = reader.frameLines(1);
        QCOMPARE(frame.size(), lines);
        for (int line : {0, 1, lines / 2, lines - 1})
            QCOMPARE(frame.at(line), numberedLineData(ledpcs, 1, line));
        QVERIFY(reader.frameLines(3).isEmpty());
        QVERIFY(reader.frameLines(-1).isEmpty());
    }

    void readsAFileFromDisk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("fan.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(numberedFanFile(320, 2));
        file.close();
        FanDataReader reader;
        QVERIFY(reader.open(path));
        QCOMPARE(reader.frameCount(), qint64(2));
        QCOMPARE(reader.frameLines(0).at(7), numberedLineData(320, 0, 7));

        QVERIFY(!reader.open(dir.filePath("missing.bin")));
        QCOMPARE(reader.errorOffset(), qint64(-1));
        QVERIFY(reader.errorString().contains("missing.bin"));
    }

    void headerLookalikeInsideTheFirstPayloadIsSkipped()
    {
        // Line 1's header, by chance, inside line 0's payload at a place where it could mark
        // a shorter packet: only the real length makes every packet check out.
        QByteArray file = numberedFanFile(50, 1);
        const QByteArray lookalike("\x82\x01\x00\x91\x01\x00\x00\x00", 8);
        file.replace(8 + 3 * 20, lookalike.size(), lookalike);
        FanDataReader reader;
        QVERIFY2(reader.read(file), qPrintable(reader.errorString()));
        QCOMPARE(reader.ledpcs(), 50);
    }

    void damagedFilesSayWhatIsWrongAndWhere_data()
    {
        QTest::addColumn<int>("ledpcs");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QString>("words");
        const qint64 packet320 = 8 + 960;
        const qint64 packet704 = 8 + 528;
        QTest::newRow("empty") << 320 << "empty" << qint64(0) << "empty";
        QTest::newRow("truncated record")
            << 320 << "truncate" << 2 * 400 * packet320 + 5 * packet320 << "ends inside";
        QTest::newRow("truncated chunked record")
            << 704 << "truncate" << (400 * 4 + 9) * packet704 << "ends inside";
        QTest::newRow("wrong marker") << 320 << "marker" << 405 * packet320 << "marker";
        QTest::newRow("wrong marker, chunked") << 704 << "marker" << 405 * packet704 << "marker";
        QTest::newRow("short packet") << 320 << "length" << 406 * packet320 << "marker";
        QTest::newRow("wrong line index") << 320 << "line" << 405 * packet320 + 1 << "line index";
        QTest::newRow("wrong blade type") << 512 << "type" << 9 * qint64(392) + 5 << "blade type";
        QTest::newRow("only one line") << 320 << "oneline" << qint64(8) << "cannot be told";
        QTest::newRow("unknown blade type") << 320 << "unknowntype" << qint64(5) << "unknown";
    }

    void damagedFilesSayWhatIsWrongAndWhere()
    {
        QFETCH(int, ledpcs);
        QFETCH(QString, damage);
        QFETCH(qint64, offset);
        QFETCH(QString, words);
        QByteArray file = numberedFanFile(ledpcs, 3);
        const qint64 packet = packetHeaderSize + bladeType(ledpcs).chunkBytes;
        if (damage == "empty")
            file.clear();
        else if (damage == "truncate")
            file.truncate(int(offset + packet / 2));
        else if (damage == "marker")
            file[int(offset)] = char(0x83);
        else if (damage == "length")
            file.remove(int(405 * packet + 100), 1); // a payload byte short
        else if (damage == "line")
            file[int(offset)] = char(0x7F);
        else if (damage == "type")
            file[int(offset)] = char(0x05);
        else if (damage == "oneline")
            file.truncate(int(packet));
        else if (damage == "unknowntype")
            file[5] = char(0x42);

        FanDataReader reader;
        QVERIFY(!reader.read(file));
        QCOMPARE(reader.errorOffset(), offset);
        QVERIFY2(reader.errorString().contains(words), qPrintable(reader.errorString()));
        QVERIFY(reader.errorString().startsWith(QString("byte %1:").arg(offset)));
        QCOMPARE(reader.frameCount(), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestFanDataReader)
#include "tst_fandatareader.moc"
