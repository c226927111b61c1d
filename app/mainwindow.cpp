#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "core.h"
#include "fan.h"
#include "fanconfig.h"
#include "panel.h"
#include "timeformat.h"
#include "viewgeometry.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QInputDialog>
#include <QMessageBox>
#include <QMutexLocker>
#include <QPixmap>
#include <QPushButton>
#include <QRegion>
#include <QThread>
#include <QTimer>

#include <climits>
#include <cmath>

namespace {

// The single worker of the process; only the window's code uses it.
Core* core = nullptr;

// The preview shows frames in batches: after the frame at this index the window hands the
// whole list back to the worker.
constexpr int lastIndexOfBatch = 51;

bool usableRate(double rate)
{
    return std::isfinite(rate) && rate > 0;
}

// The preview timer's period for a panel rate: 1000 / hz in single precision, truncated.
// A rate that gives no usable period plays at the default rate of 18.
int previewInterval(double hz)
{
    const float rate = float(hz);
    const float interval = 1000 / rate;
    if (!(rate > 0) || !std::isfinite(rate) || !(interval < float(INT_MAX)))
        return int(1000 / 18.0f);
    return int(interval);
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    progressFrame = 0;
    ui->setupUi(this);
    setLanguage("zh");

    core = new Core;
    workerThread = new QThread;
    core->moveToThread(workerThread);
    workerThread->start(QThread::InheritPriority);

    playIndex = 0;
    timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);

    connect(this, SIGNAL(beginOutput(QString, Panel*)), core, SLOT(beginOutput(QString, Panel*)));
    connect(this, SIGNAL(playPreviewer(Panel*)), core, SLOT(playPreviewer(Panel*)));
    connect(core, SIGNAL(outputCompleted()), this, SLOT(outputCompleted()));
    connect(core, SIGNAL(playCompleted()), this, SLOT(playCompleted()));
    connect(core, SIGNAL(outputProgress(int, QImage)), this, SLOT(outputProgress(int, QImage)));
    connect(timer, SIGNAL(timeout()), this, SLOT(showVideo()));
    connect(core, &Core::outputFailed, this, &MainWindow::outputFailed);
    connect(core, &Core::runEnded, this, &MainWindow::workerIdle);

    const QString configPath = FanConfig::defaultPath();
    FanConfig::load(configPath, panels,
                    [this](Panel* panel) { ui->comboBox_panels->addItem(panel->model); });
    connect(ui->comboBox_panels, QOverload<int>::of(&QComboBox::activated), ui->comboBox_panels,
            [this](int index) { selectPanel(index); });

    if (panels.isEmpty()) {
        // Nothing to preview or save for: the commands that need a panel stay disabled.
        ui->groupBox->setTitle(QString());
        resizeDragWidget();
        showNoPanelNotice(configPath);
    } else {
        selectPanel(0);
    }

    connect(ui->comboBox, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { switchLanguage(index); });
}

MainWindow::~MainWindow()
{
    stopWorker();
    delete core;
    core = nullptr;
    delete workerThread;
    for (Panel* panel : panels) {
        qDeleteAll(panel->fans);
        delete panel;
    }
    QCoreApplication::removeTranslator(&translator);
    delete ui;
}

Core* MainWindow::worker() const
{
    return core;
}

// The stop ends the job in progress and any job still waiting in the worker's queue; the
// thread is let go only after the run has finished, so data files are never cut off
// mid-record.
void MainWindow::stopWorker()
{
    timer->stop();
    core->stopRequested.raise();
    workerThread->quit();
    workerThread->wait();
}

void MainWindow::setLanguage(QString lang)
{
    const QString name = QCoreApplication::applicationDirPath() + "/" + lang + ".ts";
    if (translator.load(name, QString(), QString(), QString()))
        QCoreApplication::installTranslator(&translator);
    ui->pushButton_open->setText(tr("open"));
    ui->pushButton_save->setText(tr("save"));
    ui->pushButton_preview->setText(tr("preview"));
}

// The language box: item 0 is Chinese, item 1 English. A toggle whose job is still running
// keeps saying "stop" (now in the new language), so that pressing it still stops that job
// instead of starting a second one on top of it.
void MainWindow::switchLanguage(int index)
{
    const bool previewing = isStopText(ui->pushButton_preview->text());
    const bool saving = isStopText(ui->pushButton_save->text());
    setLanguage(index == 1 ? "en" : "zh");
    if (previewing)
        ui->pushButton_preview->setText(tr("stop"));
    if (saving)
        ui->pushButton_save->setText(tr("stop"));
}

void MainWindow::showNoPanelNotice(const QString& configPath)
{
    auto* notice = new QMessageBox(QMessageBox::Warning, tr("No panel"),
                                   tr("No panel was found in the installation file:\n%1\n\n"
                                      "Preview and save need a panel.")
                                       .arg(QDir::toNativeSeparators(configPath)),
                                   QMessageBox::Ok, this);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setModal(false);
    notice->show();
}

void MainWindow::selectPanel(int index)
{
    if (index < 0 || index >= panels.size())
        return;
    selectedPanel = panels.at(index);
    ui->widget->setPanel(selectedPanel);
    ui->groupBox->setTitle(selectedPanel->model);
    resizeDragWidget();
}

void MainWindow::resizeDragWidget()
{
    const QRect target =
        ViewGeometry::frameTarget(ui->graphicsView->geometry(), ui->graphicsView->imageRect);
    qDebug() << target.size();
    ui->widget->fitInto(target);
}

bool MainWindow::isStopText(const QString& text) const
{
    return text == tr("stop");
}

// The idle window: open as soon as the worker is free, preview and save when there is also
// a readable picture and a panel to work on.
void MainWindow::enableIdleCommands()
{
    const bool canWork = !workerBusy && pictureOpened && selectedPanel;
    ui->pushButton_open->setEnabled(!workerBusy);
    ui->pushButton_preview->setEnabled(canWork);
    ui->pushButton_save->setEnabled(canWork);
}

void MainWindow::workerIdle()
{
    workerBusy = false;
    const bool jobShown =
        isStopText(ui->pushButton_preview->text()) || isStopText(ui->pushButton_save->text());
    if (!jobShown)
        enableIdleCommands();
}

// Announced to the worker before the request is sent, so that a stop pressed before the
// run has even started still ends it.
void MainWindow::startJob()
{
    workerBusy = true;
    outputError.clear();
    core->stopRequested.announceJob();
}

void MainWindow::on_pushButton_open_clicked()
{
    if (workerBusy)
        return;
    fileName = QFileDialog::getOpenFileName(this, tr("Open File"), "", tr("Files(*.*)"), nullptr,
                                            QFileDialog::Options());
    if (fileName.isEmpty())
        return;

    core->setFileName(fileName);
    videoInfo = core->readFirstFrame();
    pictureOpened = !videoInfo.firstFrame.isNull();
    enableIdleCommands();
    if (!pictureOpened) {
        clearPicture();
        QMessageBox::warning(this, tr("Open File"),
                             tr("This file could not be read as a picture or video:\n%1")
                                 .arg(QDir::toNativeSeparators(fileName)));
        return;
    }
    showPicture(videoInfo.firstFrame);
}

// Fits the opened picture into the view, centred, and the selection frame onto it.
void MainWindow::showPicture(const QImage& picture)
{
    const QPixmap pixmap = QPixmap::fromImage(picture);
    auto* scene = new QGraphicsScene;
    PlayWidget* view = ui->graphicsView;
    const ViewGeometry::PictureFit fit = ViewGeometry::fitPicture(view->size(), pixmap.size());
    view->scale = fit.scale;
    view->imageRect = fit.imageRect;
    qDebug() << "rect:" << view->imageRect << "scale:" << view->scale;

    scene->setSceneRect(-fit.imageRect.x(), -fit.imageRect.y(), view->width(), view->height());
    scene->addPixmap(pixmap.scaled(fit.imageRect.width(), fit.imageRect.height(),
                                   Qt::IgnoreAspectRatio, Qt::FastTransformation));
    QGraphicsScene* previous = view->scene();
    view->setScene(scene);
    delete previous;
    view->show();
    resizeDragWidget();
}

// A file that gave no picture leaves nothing to place the frame on.
void MainWindow::clearPicture()
{
    PlayWidget* view = ui->graphicsView;
    QGraphicsScene* previous = view->scene();
    view->setScene(nullptr);
    delete previous;
    view->scale = 0.0;
    view->imageRect = QRect();
    resizeDragWidget();
}

void MainWindow::showFrame(const QImage& frame)
{
    QGraphicsScene* scene = ui->graphicsView->scene();
    if (!scene || frame.isNull())
        return;
    const double scale = ui->graphicsView->scale;
    const QPixmap pixmap =
        QPixmap::fromImage(frame).scaled(int(frame.width() * scale), int(frame.height() * scale),
                                         Qt::IgnoreAspectRatio, Qt::FastTransformation);
    scene->clear();
    scene->addPixmap(pixmap);
}

void MainWindow::on_pushButton_preview_clicked()
{
    progressFrame = 0;
    updateProgress();
    if (isStopText(ui->pushButton_preview->text())) {
        core->stopRequested.raise();
        timer->stop();
        playCompleted();
        return;
    }
    if (workerBusy || !selectedPanel)
        return;

    applySelectionMask();
    ui->pushButton_open->setEnabled(false);
    ui->pushButton_save->setEnabled(false);
    startJob();
    // A stopped run finishes the picture in hand after the list was emptied; such a leftover
    // belongs to no preview and must not open this one.
    core->clearPreviewFrames();
    emit playPreviewer(selectedPanel);
    timer->start(previewInterval(selectedPanel->hz));
    ui->pushButton_preview->setText(tr("stop"));
}

void MainWindow::on_pushButton_save_clicked()
{
    progressFrame = 0;
    updateProgress();
    if (isStopText(ui->pushButton_save->text())) {
        core->stopRequested.raise();
        return;
    }
    if (workerBusy || !selectedPanel)
        return;

    QInputDialog nameDialog(this);
    nameDialog.setOkButtonText(tr("ok"));
    nameDialog.setCancelButtonText(tr("cancel"));
    nameDialog.setTextValue(QFileInfo(fileName).baseName());
    nameDialog.setWindowTitle(tr("Input FileName"));
    nameDialog.setLabelText(tr("Input FileName:"));
    if (nameDialog.exec() != QDialog::Accepted)
        return;
    const QString name = nameDialog.textValue();
    if (name.isEmpty())
        return;

    const QString directory = QFileDialog::getExistingDirectory(this, tr("Choose output directory"),
                                                                "", QFileDialog::ShowDirsOnly);
    if (directory.isEmpty())
        return;

    selectedPanel->selection = selectionRect();
    qDebug() << selectedPanel->selection;
    applySelectionMask();
    startJob();
    emit beginOutput(directory + "/" + name, selectedPanel);
    ui->pushButton_open->setEnabled(false);
    ui->pushButton_preview->setEnabled(false);
    ui->widget->hide();
    ui->pushButton_save->setText(tr("stop"));
}

void MainWindow::playCompleted()
{
    playIndex = 0;
    core->clearPreviewFrames();
    ui->widget_2->clearMask();
    ui->widget->show();
    ui->pushButton_preview->setText(tr("preview"));
    enableIdleCommands();
}

void MainWindow::outputFailed(const QString& message)
{
    outputError = message;
}

void MainWindow::outputCompleted()
{
    ui->widget_2->clearMask();
    ui->widget->show();
    progressFrame = 0;
    updateProgress();

    if (outputError.isEmpty()) {
        QMessageBox box;
        box.setText(tr("OK"));
        box.setWindowTitle(tr("Saved"));
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(tr("ok"));
        box.exec();
    } else {
        QMessageBox box(QMessageBox::Warning, tr("Not saved"),
                        tr("The fan data could not be written.\n\n%1").arg(outputError));
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(tr("ok"));
        box.exec();
    }

    ui->pushButton_save->setText(tr("save"));
    enableIdleCommands();
}

void MainWindow::showVideo()
{
    progressFrame += 1;
    updateProgress();

    QImage frame;
    {
        QMutexLocker locker(&core->frameLock);
        if (core->frames.isEmpty())
            return;
        if (playIndex < core->frames.size())
            frame = core->frames.at(playIndex);
    }
    if (frame.isNull()) {
        // The display has caught up with what the worker delivered: the preview ends, and a
        // run that is still decoding is told to end too rather than wait for ever.
        timer->stop();
        core->stopRequested.raise();
        playCompleted();
        return;
    }
    showFrame(frame);

    if (playIndex >= lastIndexOfBatch) {
        playIndex = 0;
        core->clearPreviewFrames();
    } else {
        playIndex += 1;
    }
}

void MainWindow::outputProgress(int frameIndex, QImage previewImg)
{
    qDebug() << "nowFrameIndex" << frameIndex;
    // Without a known stream rate every picture is delivered once, so the count of pictures
    // is the count of panel frames.
    const double hz = selectedPanel ? selectedPanel->hz : 0.0;
    if (usableRate(videoInfo.fps) && usableRate(hz))
        progressFrame = int(hz / videoInfo.fps * frameIndex);
    else
        progressFrame = frameIndex;
    updateProgress();
    showFrame(previewImg);
}

void MainWindow::updateProgress()
{
    const double hz = selectedPanel ? selectedPanel->hz : 0.0;
    const double position = usableRate(hz) ? progressFrame / hz * 1000 : 0.0;
    const int ms = position < double(INT_MAX) ? int(position) : INT_MAX;
    const qint64 duration = videoInfo.durationMs;
    if (duration > 0) {
        const int durationMs = duration < INT_MAX ? int(duration) : INT_MAX;
        ui->progressBar->setRange(0, durationMs);
        ui->progressBar->setValue(ms);
        ui->label->setText(formatTime(ms) + " / " + formatTime(durationMs));
    } else {
        // A still picture or a stream of unknown length: only the position is known.
        ui->progressBar->setRange(0, 1);
        ui->progressBar->setValue(0);
        ui->label->setText(formatTime(ms));
    }
}

void MainWindow::applySelectionMask()
{
    const QRect frame = ui->widget->geometry();
    const bool severalFans = selectedPanel && selectedPanel->fans.size() > 1;
    ui->widget_2->setMask(severalFans ? QRegion(frame) : QRegion(frame, QRegion::Ellipse));
}

QRectF MainWindow::selectionRect() const
{
    return ViewGeometry::selectionRect(ui->widget->pos(), ui->widget->size(),
                                       ui->graphicsView->pos(), ui->graphicsView->imageRect,
                                       ui->graphicsView->scale);
}
