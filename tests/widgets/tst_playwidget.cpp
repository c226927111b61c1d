#include "playwidget.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPixmap>
#include <QtTest>

class TestPlayWidget : public QObject
{
    Q_OBJECT

private slots:
    void startsWithoutPicture()
    {
        QWidget area;
        auto* view = new PlayWidget(&area);
        QCOMPARE(view->parentWidget(), &area);
        QCOMPARE(view->scale, 0.0);
        QVERIFY(view->imageRect.isNull());
        QCOMPARE(view->imageRect, QRect());
        QCOMPARE(QString(view->metaObject()->className()), QString("PlayWidget"));
    }

    void resizeNeitherRecentresNorRescales()
    {
        QWidget area;
        area.resize(1100, 800);
        auto* view = new PlayWidget(&area);
        view->setStyleSheet("background:#000;\nborder:0;");
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setGeometry(50, 40, 800, 550);

        // A 1600 x 900 picture placed the way the window does it: at half size, with the
        // scene origin on the picture's top-left corner at (0, 50).
        view->scale = 0.5;
        view->imageRect = QRect(0, 50, 800, 450);
        QGraphicsScene scene;
        scene.setSceneRect(0, -50, 800, 550);
        QPixmap picture(800, 450);
        picture.fill(Qt::white);
        scene.addPixmap(picture);
        view->setScene(&scene);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QCOMPARE(view->mapFromScene(QPointF(0, 0)), QPoint(0, 50));

        // A view left to itself would centre the smaller scene in the larger view.
        view->resize(1000, 700);
        QCoreApplication::processEvents();
        QCOMPARE(view->size(), QSize(1000, 700));
        QCOMPARE(view->mapFromScene(QPointF(0, 0)), QPoint(0, 50));
        QVERIFY(view->transform().isIdentity());
        QCOMPARE(view->scale, 0.5);
        QCOMPARE(view->imageRect, QRect(0, 50, 800, 450));

        view->resize(400, 300);
        QCoreApplication::processEvents();
        QCOMPARE(view->mapFromScene(QPointF(0, 0)), QPoint(0, 50));
        QVERIFY(view->transform().isIdentity());
    }
};

QTEST_MAIN(TestPlayWidget)
#include "tst_playwidget.moc"
