#include "scalemap.h"

#include <QtTest>

namespace {

// Every pixel tells its own column and row: 12 bits each, or for wide images 16 bits of
// column and 8 of row.
bool wideCoding(QSize size)
{
    return size.width() > 4096 || size.height() > 4096;
}

QImage coordinateImage(QSize size)
{
    QImage image(size, QImage::Format_RGB888);
    const bool wide = wideCoding(size);
    for (int r = 0; r < size.height(); ++r) {
        uchar* row = image.scanLine(r);
        for (int c = 0; c < size.width(); ++c) {
            const quint32 code =
                wide ? quint32(c) | quint32(r) << 16 : quint32(c) | quint32(r) << 12;
            row[3 * c] = uchar(code);
            row[3 * c + 1] = uchar(code >> 8);
            row[3 * c + 2] = uchar(code >> 16);
        }
    }
    return image;
}

} // namespace

class TestScaleMap : public QObject
{
    Q_OBJECT

private slots:
    // Qt's own nearest-neighbour scaling of an image whose pixels encode their coordinates
    // says where every target pixel comes from; the map must say the same everywhere.
    void mapsLikeQtsOwnScaling_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::newRow("enlarged 3x") << QSize(40, 30) << QSize(120, 90);
        QTest::newRow("odd enlargement") << QSize(37, 23) << QSize(301, 97);
        QTest::newRow("reduced") << QSize(1920, 1080) << QSize(600, 601);
        QTest::newRow("one way each") << QSize(33, 400) << QSize(200, 35);
        QTest::newRow("same size") << QSize(50, 20) << QSize(50, 20);
        QTest::newRow("same width") << QSize(50, 20) << QSize(50, 67);
        QTest::newRow("one pixel") << QSize(1, 1) << QSize(30, 20);
        QTest::newRow("one column") << QSize(1, 9) << QSize(7, 40);
        QTest::newRow("onto one pixel") << QSize(25, 14) << QSize(1, 1);
        // Rows are fetched in pieces of 2048 pixels, each stepping from its own start.
        QTest::newRow("pieces") << QSize(1080, 7) << QSize(6528, 40);
        // Too extreme for fixed point in one direction: both go through double precision.
        QTest::newRow("extreme height") << QSize(33, 1) << QSize(4200, 300);
        QTest::newRow("extreme width") << QSize(2, 21) << QSize(2176, 50);
        // Pieces far out in a very wide source overflow fixed point; those go through double.
        QTest::newRow("beyond fixed point") << QSize(40000, 2) << QSize(40010, 3);
        // The selection of 33 x 21 pixels on a panel of 2176 x 2176 units.
        QTest::newRow("33 x 21 on 6528 x 6528") << QSize(33, 21) << QSize(6528, 6528);
    }
    void mapsLikeQtsOwnScaling()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        // The map keeps Qt 5.15's steps; Qt 6 takes pieces beyond fixed point differently.
        // tst_recordedrecords holds such a case to the Qt 5 build's bytes.
        if (source.width() > 32767)
            QSKIP("Qt 6 scales pieces beyond fixed point differently from Qt 5.15");
#endif
        const QImage scaled =
            coordinateImage(source).scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QCOMPARE(scaled.size(), target);
        const NearestScaleMap map(source, target);
        const bool wide = wideCoding(source);
        for (int y = 0; y < target.height(); ++y) {
            const uchar* row = scaled.constScanLine(y);
            for (int x = 0; x < target.width(); ++x) {
                const quint32 code =
                    row[3 * x] | row[3 * x + 1] << 8 | quint32(row[3 * x + 2]) << 16;
                const int column = wide ? int(code & 0xFFFF) : int(code & 0xFFF);
                const int sourceRow = wide ? int(code >> 16) : int(code >> 12);
                // Pixels the engine does not paint stay zero.
                const bool covered = map.covers(x, y);
                const bool same =
                    covered ? map.column(x, y) == column && map.row(x, y) == sourceRow : code == 0;
                if (!same)
                    QFAIL(qPrintable(
                        QString("target (%1, %2): Qt takes (%3, %4), the map %5")
                            .arg(x)
                            .arg(y)
                            .arg(column)
                            .arg(sourceRow)
                            .arg(covered
                                     ? QString("(%1, %2)").arg(map.column(x, y)).arg(map.row(x, y))
                                     : QString("black"))));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestScaleMap)
#include "tst_scalemap.moc"
