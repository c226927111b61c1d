#include "windowtesting.h"

#include "usersettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QSettings>

namespace WindowTesting {

QString configPath()
{
    return QCoreApplication::applicationDirPath() + "/fanconfig.xml";
}

void writeConfig(const QString& panels)
{
    QFile file(configPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(configPath()));
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<panels>\n");
    file.write(panels.toUtf8());
    file.write("\n</panels>\n");
}

void removeConfig()
{
    QFile::remove(configPath());
}

void freshSettings()
{
    isolateUserSettings(QCoreApplication::applicationDirPath() + "/settings");
    QSettings("Rotavis", "Rotavis").clear();
}

QString translated(const char* source)
{
    return QCoreApplication::translate("MainWindow", source);
}

Parts::Parts(MainWindow& window)
    : open(window.findChild<QPushButton*>("pushButton_open")),
      preview(window.findChild<QPushButton*>("pushButton_preview")),
      save(window.findChild<QPushButton*>("pushButton_save")),
      panels(window.findChild<QComboBox*>("comboBox_panels")),
      label(window.findChild<QLabel*>("label")), groupBox(window.findChild<QGroupBox*>("groupBox")),
      area(window.findChild<QWidget*>("widget_2")),
      view(window.findChild<PlayWidget*>("graphicsView")),
      frame(window.findChild<DragWidget*>("widget")),
      progressBar(window.findChild<QProgressBar*>("progressBar")),
      language(window.findChild<QComboBox*>("comboBox")),
      fans(window.findChild<QCheckBox*>("checkBox_fans")), timer(window.findChild<QTimer*>())
{
}

void choose(QComboBox* box, int index)
{
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
    emit box->activated(index);
}

void open(QPushButton* openButton, DialogAnswerer& dialogs, const QString& path)
{
    dialogs.chooseFile(path);
    openButton->click();
}

void startSave(QPushButton* saveButton, DialogAnswerer& dialogs, const QString& name,
               const QString& directory)
{
    dialogs.enterText(name);
    dialogs.chooseDirectory(directory);
    saveButton->click();
}

QImage clipPicture(const QByteArray& all, const QSize& size, int k)
{
    const int bytes = size.width() * size.height() * 3;
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
        memcpy(picture.scanLine(y), all.constData() + k * bytes + y * size.width() * 3,
               size.width() * 3);
    return picture;
}

QImage shownPicture(const PlayWidget* view)
{
    if (!view->scene())
        return QImage();
    for (QGraphicsItem* item : view->scene()->items()) {
        if (auto* pixmap = qgraphicsitem_cast<QGraphicsPixmapItem*>(item))
            return pixmap->pixmap().toImage();
    }
    return QImage();
}

QPoint shownAt(const PlayWidget* view)
{
    if (!view->scene())
        return QPoint();
    for (QGraphicsItem* item : view->scene()->items()) {
        if (qgraphicsitem_cast<QGraphicsPixmapItem*>(item))
            return view->mapFromScene(item->scenePos());
    }
    return QPoint();
}

} // namespace WindowTesting
