#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "adjustmentstage.h"
#include "core.h"
#include "diagnostics.h"
#include "edgeanchors.h"
#include "fan.h"
#include "fandataset.h"
#include "fanviewpicture.h"
#include "fanviewworker.h"
#include "frameestimate.h"
#include "mediainput.h"
#include "packets.h"
#include "panel.h"
#include "panelcopy.h"
#include "panellimits.h"
#include "seekbar.h"
#include "picturedialog.h"
#include "setplayer.h"
#include "setviewworker.h"
#include "timeformat.h"
#include "viewgeometry.h"

#include <QAction>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QMutexLocker>
#include <QPushButton>
#include <QRegion>
#include <QShortcut>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <climits>
#include <cmath>

namespace {

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

int saturatedMs(double ms)
{
    return ms < double(INT_MAX) ? int(ms) : INT_MAX;
}

// The one local file that a drag carries, or an empty text.
QString draggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

// A remembered folder to start a dialog in, while it is still there.
QString startFolder(const QString& remembered)
{
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QString();
}

int clampedToInt(qint64 value)
{
    return int(qBound(qint64(0), value, qint64(INT_MAX)));
}

// A time that finds picture `index` of a run that started at `startUs`: half a picture before
// its nominal time, so that a container's rounding of the picture's time still finds it, and
// the picture before it does not.
qint64 pictureTimeUs(qint64 startUs, int index, double fps)
{
    if (!usableRate(fps) || index <= 0)
        return startUs;
    return startUs + qint64(std::llround((index - 0.5) * 1e6 / fps));
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    progressFrame = 0;
    ui->setupUi(this);
    setAcceptDrops(true);
    setLanguage(settings.language() == "en" ? "en" : "zh");

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
    connect(core, &Core::outputWritten, this, &MainWindow::outputWritten);
    connect(core, &Core::runEnded, this, &MainWindow::workerIdle);

    fanViewer = new FanViewWorker;
    fanViewThread = new QThread;
    fanViewer->moveToThread(fanViewThread);
    fanViewThread->start();
    connect(fanViewer, &FanViewWorker::ready, this, &MainWindow::showFanView);
    connect(ui->checkBox_fans, &QCheckBox::toggled, this, [this] {
        refreshFanView();
        updateCommands();
    });

    setViewer = new SetViewWorker;
    setViewThread = new QThread;
    setViewer->moveToThread(setViewThread);
    setViewThread->start();
    connect(setViewer, &SetViewWorker::opened, this, &MainWindow::setOpened);
    connect(setViewer, &SetViewWorker::ready, this, &MainWindow::showSetView);

    ui->widget->setBounds(ui->graphicsView->geometry());
    connect(ui->graphicsView, &PlayWidget::doubleClicked, this, &MainWindow::refitFrame);
    connect(ui->widget, &DragWidget::doubleClicked, this, &MainWindow::refitFrame);

    const QString configPath = FanConfig::defaultPath();
    panels.load(configPath, [this](Panel* panel) { ui->comboBox_panels->addItem(panel->model); });
    connect(ui->comboBox_panels, QOverload<int>::of(&QComboBox::activated), ui->comboBox_panels,
            [this](int index) { choosePanel(index); });

    if (panels.isEmpty()) {
        // Nothing to preview or save for: the commands that need a panel stay disabled.
        ui->groupBox->setTitle(QString());
        resizeDragWidget();
        showNoPanelNotice(configPath);
    } else {
        const int chosen = panels.find(settings.panelIndex(), settings.panelModel());
        ui->comboBox_panels->setCurrentIndex(chosen);
        selectPanel(chosen);
    }

    connect(ui->comboBox, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { switchLanguage(index); });
    setUpShortcuts();
    setUpResizing();

    seekTimer = new QTimer(this);
    seekTimer->setSingleShot(true);
    connect(seekTimer, &QTimer::timeout, this, &MainWindow::showPendingSeek);
    connect(ui->progressBar, &SeekBar::seekRequested, this, &MainWindow::seekTo);
    setUpClipActions();

    adjustments = settings.adjustments();
    pictureDialog = new PictureDialog(this);
    pictureDialog->setValues(adjustments);
    connect(pictureDialog, &PictureDialog::changed, this, &MainWindow::adjustPicture);
    updateCommands();
}

MainWindow::~MainWindow()
{
    stopWorker();
    delete core;
    delete workerThread;
    fanViewThread->quit();
    fanViewThread->wait();
    delete fanViewer;
    delete fanViewThread;
    setViewThread->quit();
    setViewThread->wait();
    delete setViewer;
    delete setViewThread;
    QCoreApplication::removeTranslator(&translator);
    QCoreApplication::removeTranslator(&qtTranslator);
    delete ui;
}

Core* MainWindow::worker() const
{
    return core;
}

// Ctrl+O, Space and Ctrl+S do what the buttons do, when the buttons would.
void MainWindow::setUpShortcuts()
{
    const QList<QPair<QKeySequence, QPushButton*>> keys{
        {QKeySequence(Qt::CTRL | Qt::Key_O), ui->pushButton_open},
        {QKeySequence(Qt::Key_Space), ui->pushButton_preview},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ui->pushButton_save},
    };
    for (const auto& key : keys) {
        QPushButton* button = key.second;
        connect(new QShortcut(key.first, this), &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    }
}

// The window resizes around the picture: the commands keep to the top left, the time to the
// bottom right, the bar to the bottom, and the picture area grows and shrinks with the
// window. The panel box is as wide as the longest panel name needs; the picture area and
// the bar make room for it.
void MainWindow::setUpResizing()
{
    auto* inGroup = new EdgeAnchors(ui->groupBox, ui->groupBox->size());
    inGroup->anchor(ui->widget_2, EdgeAnchors::All);
    auto* inArea = new EdgeAnchors(ui->widget_2, ui->widget_2->size());
    inArea->anchor(ui->graphicsView, EdgeAnchors::All);

    constexpr int widestColumn = 240; // longer names are cut rather than the picture
    QComboBox* box = ui->comboBox_panels;
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int wider = qBound(0, box->sizeHint().width() - box->width(), widestColumn);
    if (wider > 0) {
        box->resize(box->width() + wider, box->height());
        for (QWidget* right :
             {static_cast<QWidget*>(ui->groupBox), static_cast<QWidget*>(ui->progressBar)})
            right->setGeometry(right->geometry().adjusted(wider, 0, 0, 0));
    }

    auto* inWindow = new EdgeAnchors(ui->centralWidget, size());
    inWindow->anchor(ui->groupBox, EdgeAnchors::All);
    inWindow->anchor(ui->progressBar, EdgeAnchors::Left | EdgeAnchors::Right | EdgeAnchors::Bottom);
    inWindow->anchor(ui->label, EdgeAnchors::Right | EdgeAnchors::Bottom);

    viewSize = ui->graphicsView->size();
    connect(ui->graphicsView, &PlayWidget::resized, this, &MainWindow::viewResized);
}

// The picture is fitted into the view's new size, and the frame and the fan view keep their
// place on it; without a picture the frame is fitted into the view, as before an open.
void MainWindow::viewResized()
{
    if (ui->graphicsView->size() == viewSize)
        return;
    viewSize = ui->graphicsView->size();
    ui->widget->setBounds(ui->graphicsView->geometry());
    if (pictureOpened) {
        const QRectF selection =
            ui->widget->geometry() == resizedFrame ? resizedSelection : selectionRect();
        ui->graphicsView->fitPicture(videoInfo.firstFrame.size());
        ui->widget->fitInto(frameOver(selection)); // the panel's proportions kept exactly
        resizedFrame = ui->widget->geometry();
        resizedSelection = selection;
    } else {
        ui->graphicsView->clearPicture();
        resizeDragWidget();
    }
    refreshFanView();
    if (state == JobState::Previewing || state == JobState::Saving)
        applySelectionMask();
}

// Where the frame lies, in the picture area's coordinates, over `selection` in source
// pixels of the picture placed now.
QRect MainWindow::frameOver(const QRectF& selection) const
{
    const PlayWidget* view = ui->graphicsView;
    const QPointF corner =
        QPointF(view->pos() + view->imageRect.topLeft()) + selection.topLeft() * view->scale;
    return QRect(qRound(corner.x()), qRound(corner.y()), qRound(selection.width() * view->scale),
                 qRound(selection.height() * view->scale));
}

// The in and out points and the choices for reading clips: keys I and O, and the context menu
// of the picture and of the bar. The choices are remembered.
void MainWindow::setUpClipActions()
{
    inAction = new QAction(this);
    connect(inAction, &QAction::triggered, this, &MainWindow::setInPoint);
    outAction = new QAction(this);
    connect(outAction, &QAction::triggered, this, &MainWindow::setOutPoint);
    // The keys as window shortcuts of their own, like the commands' keys.
    for (QAction* action : {inAction, outAction}) {
        const QKeySequence key(action == inAction ? Qt::Key_I : Qt::Key_O);
        connect(new QShortcut(key, this), &QShortcut::activated, action, [action] {
            if (action->isEnabled())
                action->trigger();
        });
    }
    clearPointsAction = new QAction(this);
    connect(clearPointsAction, &QAction::triggered, this, &MainWindow::clearPoints);
    autorotateAction = new QAction(this);
    autorotateAction->setCheckable(true);
    autorotateAction->setChecked(settings.autorotate());
    connect(autorotateAction, &QAction::toggled, this, [this](bool on) {
        settings.setAutorotate(on);
        reloadClip();
    });
    exactTimingAction = new QAction(this);
    exactTimingAction->setCheckable(true);
    exactTimingAction->setChecked(settings.timing() == Timing::Exact);
    connect(exactTimingAction, &QAction::toggled, this,
            [this](bool on) { settings.setTiming(on ? Timing::Exact : Timing::Stepped); });
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    const QList<QAction*> actions{inAction,  outAction,        clearPointsAction,
                                  separator, autorotateAction, exactTimingAction};
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->graphicsView), static_cast<QWidget*>(ui->progressBar)}) {
        widget->addActions(actions);
        widget->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    retextCommands();
}

SourceOptions MainWindow::sourceOptions(const ClipRange& range) const
{
    SourceOptions options;
    options.autorotate = autorotateAction->isChecked();
    options.timing = exactTimingAction->isChecked() ? Timing::Exact : Timing::Stepped;
    options.range = range;
    return options;
}

// The bar seeks while a clip of known length is open and no job runs (a stopped preview
// counts as paused).
bool MainWindow::canSeek() const
{
    return state == JobState::Idle && pictureOpened && !playedSet && videoInfo.durationMs > 0;
}

// Pictures are read on the window's thread, the latest wish only: a drag asks faster than
// pictures are found.
void MainWindow::seekTo(int ms)
{
    if (!canSeek())
        return;
    // Short of the end, where a picture is still to be found.
    const double lastPictureMs = usableRate(videoInfo.fps)
                                     ? double(videoInfo.durationMs) - 1000 / videoInfo.fps
                                     : double(videoInfo.durationMs);
    pendingSeekUs = qint64(qBound(0.0, double(ms), qMax(0.0, lastPictureMs))) * 1000;
    if (!seekTimer->isActive())
        seekTimer->start(0);
}

void MainWindow::showPendingSeek()
{
    if (pendingSeekUs < 0 || !canSeek())
        return;
    const qint64 at = pendingSeekUs;
    pendingSeekUs = -1;
    core->sourceOptions = sourceOptions(ClipRange());
    const VideoInfo seen = core->readPlainFrame({at, ClipRange::noEnd});
    if (seen.firstFrame.isNull())
        return; // beyond the last picture: the picture before stays
    positionUs = at;
    positionShown = true;
    previewReachedEnd = false;
    plainFrame = seen.firstFrame;
    plainFrameUs = at;
    display(AdjustmentStage::adjusted(plainFrame, adjustments));
    updateProgress();
}

void MainWindow::setInPoint()
{
    if (state == JobState::Saving || !pictureOpened || playedSet)
        return;
    points.startUs = positionUs;
    if (points.endUs <= points.startUs)
        points.endUs = ClipRange::noEnd;
    updateMarks();
}

void MainWindow::setOutPoint()
{
    if (state == JobState::Saving || !pictureOpened || playedSet)
        return;
    // An out point at the start would leave no picture.
    if (positionUs <= 0)
        return;
    points.endUs = positionUs;
    if (points.startUs >= points.endUs)
        points.startUs = 0;
    updateMarks();
}

void MainWindow::clearPoints()
{
    points = ClipRange();
    updateMarks();
}

void MainWindow::updateMarks()
{
    const bool shown = pictureOpened && !playedSet && videoInfo.durationMs > 0;
    const auto markOf = [](qint64 us) { return clampedToInt(us / 1000); };
    ui->progressBar->setMarks(shown && points.startUs > 0 ? markOf(points.startUs) : -1,
                              shown && points.endUs != ClipRange::noEnd ? markOf(points.endUs)
                                                                        : -1);
    if (clearPointsAction)
        clearPointsAction->setEnabled(!points.isWhole());
}

// The rotation choice changed: the open clip is read again, turned or not, at its position.
void MainWindow::reloadClip()
{
    if (!pictureOpened || playedSet || state != JobState::Idle)
        return;
    core->sourceOptions = sourceOptions(ClipRange());
    videoInfo = core->readPlainFrame(ClipRange());
    plainFirstFrame = videoInfo.firstFrame;
    videoInfo.firstFrame = AdjustmentStage::adjusted(plainFirstFrame, adjustments);
    plainFrame = plainFirstFrame;
    plainFrameUs = 0;
    if (positionUs > 0) {
        const VideoInfo seen = core->readPlainFrame({positionUs, ClipRange::noEnd});
        if (!seen.firstFrame.isNull()) {
            plainFrame = seen.firstFrame;
            plainFrameUs = positionUs;
        }
    }
    if (plainFrame.isNull())
        return;
    currentFrame = AdjustmentStage::adjusted(plainFrame, adjustments);
    ui->graphicsView->fitPicture(currentFrame.size());
    resizeDragWidget();
    refreshFanView();
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

namespace {

// Where Qt's own catalogues are installed.
QString qtTranslationsPath()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}

} // namespace

void MainWindow::setLanguage(QString lang)
{
    const QString name = QCoreApplication::applicationDirPath() + "/" + lang + ".ts";
    const bool loaded = translator.load(name, QString(), QString(), QString());
    if (loaded)
        QCoreApplication::installTranslator(&translator);
    // Qt's own texts (the file dialogs, the standard buttons) speak the window's language.
    QCoreApplication::removeTranslator(&qtTranslator);
    if (loaded && lang == "zh" &&
        qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), "qt", "_",
                          qtTranslationsPath()))
        QCoreApplication::installTranslator(&qtTranslator);
    // Without its catalogue the window speaks the English of its source texts.
    ui->comboBox->setCurrentIndex(loaded && lang == "zh" ? 0 : 1);
    retextCommands();
    if (playedSet)
        updateSetProgress(); // its label has words
}

// The language box: item 0 is Chinese, item 1 English, anything else Chinese.
void MainWindow::switchLanguage(int index)
{
    const QString lang = index == 1 ? "en" : "zh";
    setLanguage(lang);
    settings.setLanguage(lang);
}

// A toggle whose job is running says "stop", in whatever language is loaded.
void MainWindow::retextCommands()
{
    ui->pushButton_open->setText(tr("open"));
    ui->pushButton_save->setText(state == JobState::Saving ? tr("stop") : tr("save"));
    ui->pushButton_preview->setText(state == JobState::Previewing ? tr("stop") : tr("preview"));
    ui->checkBox_fans->setText(tr("fans"));
    ui->pushButton_picture->setText(tr("picture"));
    if (!inAction)
        return;
    inAction->setText(tr("In point here (I)"));
    outAction->setText(tr("Out point here (O)"));
    clearPointsAction->setText(tr("Clear in and out points"));
    autorotateAction->setText(tr("Turn clips as their rotation says"));
    exactTimingAction->setText(tr("Keep the clip's length (exact timing)"));
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
    Panel* panel = panels.at(index);
    if (!panel)
        return;
    selectedPanel = panel;
    ui->widget->setPanel(selectedPanel);
    ui->groupBox->setTitle(selectedPanel->model);
    resizeDragWidget();
    refreshFanView();
}

// The operator's choice in the panel box, remembered for the next run.
void MainWindow::choosePanel(int index)
{
    if (state == JobState::Previewing || state == JobState::Saving || !panels.at(index))
        return;
    // A set plays only on a panel that it fits; otherwise the panel before stays.
    if (playedSet) {
        const QString problem = playedSet->panelProblem(*panels.at(index));
        if (!problem.isEmpty()) {
            ui->comboBox_panels->setCurrentIndex(panels.list().indexOf(selectedPanel));
            refuseSet(tr("Panel"), *playedSet, panels.at(index), problem);
            return;
        }
    }
    selectPanel(index);
    settings.setPanel(index, selectedPanel->model);
}

// A double-click on the picture brings the frame back as choosing the panel does.
void MainWindow::refitFrame()
{
    if (state == JobState::Previewing || state == JobState::Saving || !selectedPanel || playedSet)
        return;
    selectPanel(panels.list().indexOf(selectedPanel));
}

void MainWindow::resizeDragWidget()
{
    const QRect target =
        ViewGeometry::frameTarget(ui->graphicsView->geometry(), ui->graphicsView->imageRect);
    qCDebug(windowLog) << target.size();
    ui->widget->fitInto(target);
}

// The window's face for its state: the commands that can be used, the toggles' texts, the
// panel box and the selection frame taking input only while no job runs, and the picture
// area cut to the selection while one does.
void MainWindow::updateCommands()
{
    const bool job = state == JobState::Previewing || state == JobState::Saving;
    const bool idle = state == JobState::Idle;
    const bool canWork = idle && pictureOpened && selectedPanel;
    // A set plays, but there is no clip to save from.
    const bool canPlaySet = idle && playedSet && selectedPanel && playedSet->frameCount() > 0;
    ui->pushButton_open->setEnabled(idle);
    ui->pushButton_preview->setEnabled(state == JobState::Previewing || canWork || canPlaySet);
    ui->pushButton_save->setEnabled(state == JobState::Saving || canWork);
    // A set is always seen as the fans show it: there is no picture to select from.
    ui->checkBox_fans->setEnabled(!playedSet);
    ui->comboBox_panels->setEnabled(!job);
    ui->widget->setEnabled(!job);
    // A job keeps the values it started with; a saved set is shown as it was saved.
    ui->pushButton_picture->setEnabled(!playedSet);
    if (pictureDialog)
        pictureDialog->setEnabled(idle && !playedSet);
    ui->widget->setVisible(state != JobState::Saving && !fanViewShown());
    if (job)
        applySelectionMask();
    else
        ui->widget_2->clearMask();
    ui->progressBar->setSeekable(canSeek());
    if (inAction) {
        const bool clip = pictureOpened && !playedSet && state != JobState::Saving;
        inAction->setEnabled(clip);
        outAction->setEnabled(clip);
        autorotateAction->setEnabled(idle);
        exactTimingAction->setEnabled(!job);
    }
    updateMarks();
    retextCommands();
}

void MainWindow::setState(JobState next)
{
    state = next;
    updateCommands();
}

void MainWindow::workerIdle()
{
    workerRunning = false;
    if (state == JobState::WaitingForWorker)
        setState(JobState::Idle);
}

// Announced to the worker before the request is sent, so that a stop pressed before the
// run has even started still ends it.
void MainWindow::startJob()
{
    workerRunning = true;
    outputError.clear();
    core->adjustments = adjustments;
    core->stopRequested.announceJob();
}

void MainWindow::on_pushButton_open_clicked()
{
    if (state != JobState::Idle)
        return;
    const QString filters = tr("Files(*.*)") + ";;" + tr("fan data (*.bin)");
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open File"), startFolder(settings.openFolder()),
                                     filters, nullptr, QFileDialog::Options());
    // Cancelled: the clip opened before stays.
    if (!path.isEmpty())
        openFile(path);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openFile(path);
}

void MainWindow::openFile(const QString& path)
{
    if (state != JobState::Idle)
        return;
    if (FanDataSet::isFanDataFile(path))
        openSet(path);
    else
        openClip(path);
}

void MainWindow::openClip(const QString& path)
{
    // A pipe would be used up by the first picture, and could hang the window on opening.
    if (!MediaInput::readOnceProblem(path).isEmpty()) {
        QMessageBox::warning(this, tr("Open File"),
                             tr("%1 is a pipe or device that can be read only once. Save it to a "
                                "file first.")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    settings.setOpenFolder(QFileInfo(path).absolutePath());
    // The file is tried before anything is let go: one that gives no picture leaves the clip
    // or set that was open as it was, with its selection, position and points.
    const QString previousFile = core->fileName;
    const SourceOptions previousOptions = core->sourceOptions;
    core->setFileName(path);
    core->sourceOptions = sourceOptions(ClipRange());
    const VideoInfo opened = core->readPlainFrame(ClipRange());
    if (opened.firstFrame.isNull()) {
        core->setFileName(previousFile);
        core->sourceOptions = previousOptions;
        QMessageBox::warning(this, tr("Open File"),
                             tr("This file could not be read as a picture or video:\n%1")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    leaveSet();
    fileName = path;
    // The points and the position belong to the clip.
    points = ClipRange();
    positionUs = 0;
    positionShown = true;
    previewReachedEnd = false;
    videoInfo = opened;
    plainFirstFrame = opened.firstFrame;
    plainFrame = plainFirstFrame;
    plainFrameUs = 0;
    videoInfo.firstFrame = AdjustmentStage::adjusted(plainFirstFrame, adjustments);
    pictureOpened = true;
    currentFrame = videoInfo.firstFrame;
    progressFrame = 0;
    updateCommands();
    updateProgress(); // the new clip from its start, with its own length
    ui->graphicsView->fitPicture(videoInfo.firstFrame.size());
    resizeDragWidget();
    refreshFanView(); // shows the picture, or what the fans make of it
}

// Opening a set checks every packet of every file, on the set viewer's thread; the window
// shows what it showed until the answer comes.
void MainWindow::openSet(const QString& path)
{
    settings.setOpenFolder(QFileInfo(path).absolutePath());
    opening = {path, ui->label->text()};
    setState(JobState::OpeningSet);
    ui->label->setText(tr("Reading %1 ...").arg(QFileInfo(path).fileName()));
    setViewer->open(path);
}

// A set that cannot be played is refused with the reason, and the window stays as it was.
void MainWindow::setOpened(std::shared_ptr<SetPlayer> set, bool ok)
{
    if (state != JobState::OpeningSet)
        return;
    setState(JobState::Idle);
    ui->label->setText(opening.label);
    if (!ok) {
        QMessageBox::warning(this, tr("Open File"),
                             tr("These fan data cannot be played:\n%1\n\n%2")
                                 .arg(QDir::toNativeSeparators(opening.file), set->errorString()));
        return;
    }
    if (!selectedPanel) {
        QMessageBox::warning(this, tr("Open File"),
                             tr("These fan data cannot be played: the installation has no panel."));
        return;
    }
    const QString problem = set->panelProblem(*selectedPanel);
    if (!problem.isEmpty()) {
        refuseSet(tr("Open File"), *set, selectedPanel, problem);
        return;
    }
    playSet(std::move(set));
}

// Says why `set` does not fit `panel` and which panels of the installation it fits: the same
// number of fans, each with the LED count of its file.
void MainWindow::refuseSet(const QString& title, const SetPlayer& set, const Panel* panel,
                           const QString& problem)
{
    QStringList fitting;
    for (const Panel* candidate : panels.list()) {
        if (set.panelProblem(*candidate).isEmpty())
            fitting << QString("\"%1\"").arg(candidate->model);
    }
    QString fits;
    if (fitting.isEmpty())
        fits = tr("No panel of the installation fits them.");
    else if (fitting.size() == 1)
        fits = tr("They fit the panel %1.").arg(fitting.first());
    else
        fits = tr("They fit the panels %1.").arg(fitting.join(", "));
    QMessageBox::warning(
        this, title,
        tr("The fan data %1 do not fit the panel \"%2\":\n%3.\n\n%4")
            .arg(QDir::toNativeSeparators(set.set().name()), panel->model, problem, fits));
}

// The set takes the place of the clip: no picture to select from, nothing to save, the fans
// from the set's first frame.
void MainWindow::playSet(std::shared_ptr<SetPlayer> set)
{
    if (!playedSet)
        fansCheckedForClips = ui->checkBox_fans->isChecked();
    playedSet = std::move(set);
    setFrame = 0;
    pictureOpened = false;
    currentFrame = QImage();
    plainFirstFrame = QImage();
    plainFrame = QImage();
    plainFrameUs = -1;
    ui->graphicsView->clearPicture();
    {
        const QSignalBlocker quiet(ui->checkBox_fans);
        ui->checkBox_fans->setChecked(true);
    }
    updateCommands();
    refreshSetView();
}

// Back to clips: the fans box as the operator left it, and no picture of the set to come.
void MainWindow::leaveSet()
{
    if (!playedSet)
        return;
    playedSet.reset();
    setPanel.reset();
    setViewOldest = setViewRequests + 1;
    const QSignalBlocker quiet(ui->checkBox_fans);
    ui->checkBox_fans->setChecked(fansCheckedForClips);
}

// The set or the panel changed: what is on the screen is out of date, answers still on their
// way too, and the times of the frames go by the panel's rate.
void MainWindow::refreshSetView()
{
    setViewOldest = setViewRequests + 1;
    setPanel = std::make_shared<PanelCopy>(*selectedPanel, selectedPanel->selection);
    ui->graphicsView->showImageAt(QImage(), QPoint());
    updateProgress();
    requestSetFrame();
}

void MainWindow::requestSetFrame()
{
    setViewRequests += 1;
    setViewer->request(playedSet, setFrame, setPanel, ui->graphicsView->size(), setViewRequests);
}

// Where the fan view of a clip would lie.
void MainWindow::showSetView(const QImage& picture, quint64 id)
{
    if (id < setViewOldest || !playedSet)
        return;
    const QRect at = FanViewPicture::panelRect(setPanel->panel(), ui->graphicsView->size());
    ui->graphicsView->showImageAt(picture, at.topLeft());
}

// The set plays from its first frame at the panel's rate. A stop goes back to the first frame
// (a stopped clip preview goes back to the start too); at its end the last frame stays.
void MainWindow::toggleSetPreview()
{
    if (state == JobState::Previewing) {
        timer->stop();
        setFrame = 0;
        setState(JobState::Idle);
        updateProgress();
        requestSetFrame();
        return;
    }
    if (state != JobState::Idle || !selectedPanel || playedSet->frameCount() <= 0)
        return;
    setFrame = 0;
    setState(JobState::Previewing);
    updateProgress();
    requestSetFrame();
    timer->start(previewInterval(selectedPanel->hz));
}

// One tick of a set's preview: the next frame. Pictures that the viewer cannot draw in time
// are dropped, the position keeps to the panel's rate.
void MainWindow::stepSet()
{
    if (state != JobState::Previewing)
        return;
    if (setFrame + 1 >= playedSet->frameCount()) {
        timer->stop();
        setState(JobState::Idle);
        return;
    }
    setFrame += 1;
    updateProgress();
    requestSetFrame();
}

// The frame on the screen, counted from 1, of how many; and its time and the set's length
// when played at the panel's rate.
void MainWindow::updateSetProgress()
{
    const qint64 frames = playedSet->frameCount();
    const qint64 shown = frames > 0 ? setFrame + 1 : 0;
    const double hz = selectedPanel ? selectedPanel->hz : 0.0;
    const auto timeOf = [hz](qint64 frame) {
        return formatTime(saturatedMs(usableRate(hz) ? frame / hz * 1000 : 0.0));
    };
    ui->progressBar->setRange(0, qMax(1, clampedToInt(frames)));
    ui->progressBar->setValue(clampedToInt(shown));
    ui->label->setText(timeOf(setFrame) + " / " + timeOf(frames) + "  " +
                       tr("frame %1 / %2").arg(shown).arg(frames));
}

// Shows a frame of the clip: the picture itself, or what the fans make of it.
void MainWindow::display(const QImage& frame)
{
    if (frame.isNull())
        return;
    currentFrame = frame;
    if (!fanViewShown()) {
        ui->graphicsView->showFrame(frame);
        return;
    }
    fanViewRequests += 1;
    fanViewer->request(frame, std::make_shared<PanelCopy>(*selectedPanel, selectionRect()),
                       ui->graphicsView->size(), fanViewRequests);
}

bool MainWindow::fanViewShown() const
{
    return ui->checkBox_fans->isChecked() && selectedPanel;
}

// Something other than the clip's position changed (the mode, the clip, the panel or the
// frame): what is on the screen is out of date, answers still on their way too.
void MainWindow::refreshFanView()
{
    fanViewOldest = fanViewRequests + 1;
    if (playedSet) {
        refreshSetView();
        return;
    }
    if (!fanViewShown()) {
        ui->graphicsView->showFrame(currentFrame);
        return;
    }
    ui->graphicsView->showImageAt(QImage(), QPoint());
    if (pictureOpened)
        display(currentFrame);
}

void MainWindow::showFanView(const QImage& picture, quint64 id)
{
    if (id < fanViewOldest || !fanViewShown() || playedSet)
        return;
    const QRect at = FanViewPicture::panelRect(*selectedPanel, ui->graphicsView->size());
    ui->graphicsView->showImageAt(picture, at.topLeft());
}

void MainWindow::on_pushButton_preview_clicked()
{
    if (playedSet) {
        toggleSetPreview();
        return;
    }
    // A stop pauses: the position stays where the preview stood.
    if (state == JobState::Previewing) {
        core->stopRequested.raise();
        endPreview();
        positionShown = true;
        updateProgress();
        return;
    }
    if (state != JobState::Idle || !pictureOpened || !selectedPanel)
        return;

    // From the position; after a preview that played to the end, from the start again.
    if (previewReachedEnd)
        positionUs = 0;
    previewReachedEnd = false;
    previewStartUs = positionUs;
    core->sourceOptions = sourceOptions({previewStartUs, ClipRange::noEnd});
    progressBaseUs = previewStartUs;
    positionShown = false;
    progressFrame = 0;
    updateProgress();
    playIndex = 0;
    setState(JobState::Previewing);
    startJob();
    // A stopped run finishes the picture in hand after the list was emptied; such a leftover
    // belongs to no preview and must not open this one.
    core->clearPreviewFrames();
    emit playPreviewer(selectedPanel);
    timer->start(previewInterval(selectedPanel->hz));
}

// The name dialog, until it is cancelled or gives a name that the files can carry.
bool MainWindow::askOutputName(QString* name)
{
    QString proposal = QFileInfo(fileName).baseName();
    for (;;) {
        QInputDialog nameDialog(this);
        nameDialog.setOkButtonText(tr("ok"));
        nameDialog.setCancelButtonText(tr("cancel"));
        nameDialog.setTextValue(proposal);
        nameDialog.setWindowTitle(tr("Input FileName"));
        nameDialog.setLabelText(tr("Input FileName:"));
        if (nameDialog.exec() != QDialog::Accepted)
            return false;
        proposal = nameDialog.textValue();
        const QString problem = nameProblem(proposal);
        if (problem.isEmpty()) {
            *name = proposal;
            return true;
        }
        QMessageBox::warning(this, tr("Input FileName"), problem);
    }
}

QString MainWindow::nameProblem(const QString& name) const
{
    if (name.trimmed().isEmpty())
        return tr("Please enter a name for the fan data files.");
    if (name.contains('/') || name.contains('\\'))
        return tr("The name must not contain \"/\" or \"\\\": the folder is chosen next.");
    if (name == "." || name == "..")
        return tr("\"%1\" cannot be used as a name.").arg(name);
    return QString();
}

// Files of these names in the folder are replaced only when the operator says so.
bool MainWindow::confirmReplacing(const QString& outputPath)
{
    // The files of an older set of this name for another number of fans are replaced too.
    const FanDataSet set(outputPath, selectedPanel->fans.size());
    QStringList existing;
    for (const QString& path : set.files() + set.strayFiles()) {
        // Something else of that name (a folder) is not replaced: the run reports it.
        const QFileInfo file(path);
        if (file.exists() && !file.isDir())
            existing << file.fileName();
    }
    if (existing.isEmpty())
        return true;
    constexpr int listed = 6;
    QString names = QStringList(existing.mid(0, listed)).join('\n');
    if (existing.size() > listed)
        names += "\n" + tr("and %1 more").arg(existing.size() - listed);

    QMessageBox box(QMessageBox::Question, tr("Replace files?"),
                    tr("These fan data files already exist in %1:\n%2\n\nReplace them?")
                        .arg(QDir::toNativeSeparators(QFileInfo(outputPath).absolutePath()), names),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.button(QMessageBox::Ok)->setText(tr("replace"));
    box.button(QMessageBox::Cancel)->setText(tr("cancel"));
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void MainWindow::on_pushButton_save_clicked()
{
    progressFrame = 0;
    updateProgress();
    if (state == JobState::Saving) {
        core->stopRequested.raise();
        return;
    }
    if (state != JobState::Idle || !pictureOpened || !selectedPanel)
        return;
    // Values no conversion can work with are refused before anything is asked or written.
    const QString refused = PanelLimits::problem(*selectedPanel);
    if (!refused.isEmpty()) {
        QMessageBox::warning(this, tr("Not saved"),
                             tr("This panel cannot be converted:\n%1").arg(refused));
        return;
    }

    QString name;
    if (!askOutputName(&name))
        return;
    const QString directory = QFileDialog::getExistingDirectory(this, tr("Choose output directory"),
                                                                startFolder(settings.saveFolder()),
                                                                QFileDialog::ShowDirsOnly);
    if (directory.isEmpty())
        return;
    const QString outputPath = directory + "/" + name;
    if (!confirmReplacing(outputPath))
        return;
    settings.setSaveFolder(directory);

    selectedPanel->selection = selectionRect();
    qCDebug(windowLog) << selectedPanel->selection;
    // From the in to the out point, as the converter's --start and --end; the estimate comes
    // from the very rate conversion the run applies.
    const SourceOptions options = sourceOptions(points);
    core->sourceOptions = options;
    saveTarget.folder = directory;
    saveTarget.outputPath = outputPath;
    saveTarget.fanCount = selectedPanel->fans.size();
    saveTarget.range = points;
    saveTarget.adjustments = adjustments;
    saveTarget.expectedFrames = clampedToInt(
        expectedFrames(videoInfo.fps, videoInfo.durationMs, selectedPanel->hz, options));
    progressBaseUs = points.startUs;
    positionShown = false;
    framesSaved = 0;
    framesWritten = 0;
    outputStopped = false;
    setState(JobState::Saving);
    startJob();
    saveClock.start();
    emit beginOutput(outputPath, selectedPanel);
}

void MainWindow::playCompleted()
{
    if (state == JobState::Previewing)
        endPreview();
}

void MainWindow::endPreview()
{
    timer->stop();
    playIndex = 0;
    core->clearPreviewFrames();
    setState(workerRunning ? JobState::WaitingForWorker : JobState::Idle);
}

void MainWindow::outputFailed(const QString& message)
{
    outputError = message;
}

void MainWindow::outputWritten(int frames, bool stopped)
{
    framesWritten = frames;
    outputStopped = stopped;
}

// What the run left in the folder, so that a stopped run does not pass for a whole one.
QString MainWindow::savedSummary() const
{
    const SaveTarget& target = saveTarget;
    QStringList lines;
    lines << tr("Folder: %1").arg(QDir::toNativeSeparators(target.folder));
    const auto nameOf = [&target](int fan) {
        return QFileInfo(FanDataSet::fileName(target.outputPath, fan, target.fanCount)).fileName();
    };
    if (target.fanCount == 1)
        lines << tr("File: %1").arg(nameOf(0));
    else if (target.fanCount > 1)
        lines << tr("Files: %1 to %2 (%3 files)")
                     .arg(nameOf(0), nameOf(target.fanCount - 1))
                     .arg(target.fanCount);
    if (!target.range.isWhole()) {
        const QString end = target.range.endUs == ClipRange::noEnd
                                ? tr("the end")
                                : formatPreciseTime(target.range.endUs / 1000);
        lines << tr("Range: %1 to %2").arg(formatPreciseTime(target.range.startUs / 1000), end);
    }
    lines << tr("Frames in each file: %1").arg(framesWritten);
    if (!target.adjustments.unchanged())
        lines << tr("Picture: %1").arg(adjustmentSummary(target.adjustments));
    if (outputStopped) {
        if (target.expectedFrames > 0)
            lines << tr("Stopped after %1 of about %2 frames.")
                         .arg(framesWritten)
                         .arg(target.expectedFrames);
        else
            lines << tr("Stopped after %1 frames.").arg(framesWritten);
    }
    return lines.join('\n');
}

void MainWindow::outputCompleted()
{
    progressFrame = 0;
    positionShown = true;
    // The box comes up on a window that stands as it will stay: the job is over.
    setState(workerRunning ? JobState::WaitingForWorker : JobState::Idle);
    updateProgress();
    if (closing)
        return;

    if (outputError.isEmpty()) {
        QMessageBox box;
        box.setText(savedSummary());
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
}

// Closing the window during a save asks first; a stop lets the run end on a whole frame
// before the window goes (its destructor waits for the worker).
void MainWindow::closeEvent(QCloseEvent* event)
{
    if (state != JobState::Saving) {
        event->accept();
        return;
    }
    QMessageBox box(QMessageBox::Question, tr("Saving"),
                    tr("The fan data are still being saved. Stop saving and close the window? "
                       "The files then hold the frames written so far."),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.button(QMessageBox::Ok)->setText(tr("stop and close"));
    box.button(QMessageBox::Cancel)->setText(tr("keep saving"));
    box.setDefaultButton(QMessageBox::Cancel);
    if (box.exec() != QMessageBox::Ok) {
        event->ignore();
        return;
    }
    // The save may have come to its end while the question was up.
    if (state == JobState::Saving) {
        closing = true;
        core->stopRequested.raise();
    }
    event->accept();
}

// One tick of the preview: the next delivered frame, if there is one. A tick that finds
// none waits for the next while the worker's run goes on; the preview ends once the run has
// ended and every frame it delivered has been shown.
void MainWindow::showVideo()
{
    if (playedSet) {
        stepSet();
        return;
    }
    QImage frame;
    int index = 0;
    {
        QMutexLocker locker(&core->frameLock);
        if (playIndex < core->frames.size()) {
            frame = core->frames.at(playIndex);
            index = core->frameIndices.value(playIndex);
        }
    }
    if (frame.isNull()) {
        if (!workerRunning) {
            previewReachedEnd = true;
            endPreview();
        }
        return;
    }
    progressFrame += 1;
    positionUs = pictureTimeUs(previewStartUs, index, videoInfo.fps);
    progressBaseUs = previewStartUs;
    positionShown = false;
    updateProgress();
    display(frame);

    if (playIndex >= lastIndexOfBatch) {
        playIndex = 0;
        core->clearPreviewFrames();
    } else {
        playIndex += 1;
    }
}

void MainWindow::outputProgress(int frameIndex, QImage previewImg)
{
    qCDebug(windowLog) << "nowFrameIndex" << frameIndex;
    // Without a known stream rate every picture is delivered once, so the count of pictures
    // is the count of panel frames.
    const double hz = selectedPanel ? selectedPanel->hz : 0.0;
    if (usableRate(videoInfo.fps) && usableRate(hz))
        progressFrame = int(hz / videoInfo.fps * frameIndex);
    else
        progressFrame = frameIndex;
    progressBaseUs = saveTarget.range.startUs;
    positionShown = false;
    if (state == JobState::Saving)
        framesSaved += outputProgressInterval;
    updateProgress();
    display(previewImg);
}

// The position and the clip's length; during a save also how far it has come and how long
// it will take at the pace so far.
void MainWindow::updateProgress()
{
    if (playedSet) {
        updateSetProgress();
        return;
    }
    // A run in progress counts its frames at the panel's rate from where it started; otherwise
    // the clip's position is shown.
    const double hz = selectedPanel ? selectedPanel->hz : 0.0;
    const int ms = positionShown ? saturatedMs(positionUs / 1000.0)
                                 : saturatedMs(progressBaseUs / 1000.0 +
                                               (usableRate(hz) ? progressFrame / hz * 1000 : 0.0));
    const qint64 duration = videoInfo.durationMs;
    if (duration <= 0) {
        // A still picture or a stream of unknown length: only the position is known.
        ui->progressBar->setRange(0, 1);
        ui->progressBar->setValue(0);
        ui->label->setText(formatTime(ms));
        return;
    }
    const int durationMs = saturatedMs(double(duration));
    ui->progressBar->setRange(0, durationMs);
    ui->progressBar->setValue(ms);
    QString text = formatTime(ms) + " / " + formatTime(durationMs);
    // How far the save has come: its frames against the estimate of the same rate conversion,
    // or, without an estimate, its position in the range.
    const qint64 rangeStartMs = saveTarget.range.startUs / 1000;
    const qint64 rangeEndMs = qMin<qint64>(durationMs, saveTarget.range.endUs / 1000);
    double done = 0;
    if (saveTarget.expectedFrames > 0)
        done = qMin(1.0, double(framesSaved) / saveTarget.expectedFrames);
    else if (ms > rangeStartMs && rangeEndMs > rangeStartMs)
        done = qMin(1.0, double(ms - rangeStartMs) / double(rangeEndMs - rangeStartMs));
    if (state == JobState::Saving && done > 0) {
        const double left = saveClock.elapsed() * (1 - done) / done;
        text += "  " + tr("%1% · %2 left").arg(int(done * 100)).arg(formatTime(saturatedMs(left)));
    }
    ui->label->setText(text);
}

// While a job runs the picture area shows only the selected region: the selection frame's
// rectangle, or the ellipse inscribed in it for a panel of one fan; with the fan view, the
// panel where the fan view draws it.
void MainWindow::applySelectionMask()
{
    QRect region = ui->widget->geometry();
    if (fanViewShown()) {
        region = FanViewPicture::panelRect(*selectedPanel, ui->graphicsView->size())
                     .translated(ui->graphicsView->pos());
    }
    const bool severalFans = selectedPanel && selectedPanel->fans.size() > 1;
    ui->widget_2->setMask(severalFans ? QRegion(region) : QRegion(region, QRegion::Ellipse));
}

// The values that are not neutral, as the picture dialog names them.
QString MainWindow::adjustmentSummary(const PictureAdjustments& values) const
{
    QStringList changed;
    const auto colour = [&](const char* name, double value, double neutral) {
        if (value != neutral)
            changed << QStringLiteral("%1 %2").arg(tr(name)).arg(value, 0, 'f', 2);
    };
    colour(QT_TR_NOOP("brightness"), values.brightness,
           PictureAdjustments::brightnessRange.neutral);
    colour(QT_TR_NOOP("contrast"), values.contrast, PictureAdjustments::contrastRange.neutral);
    colour(QT_TR_NOOP("saturation"), values.saturation,
           PictureAdjustments::saturationRange.neutral);
    colour(QT_TR_NOOP("gamma"), values.gamma, PictureAdjustments::gammaRange.neutral);
    if (values.rotation != 0)
        changed << tr("rotated %1°").arg(values.rotation);
    if (values.mirror)
        changed << tr("mirrored");
    return changed.join(", ");
}

void MainWindow::on_pushButton_picture_clicked()
{
    pictureDialog->show();
    pictureDialog->raise();
    pictureDialog->activateWindow();
}

// The picture dialog changed a value: the picture, the selection frame and the fan view follow
// at once, from the clip's first picture. A turn that changes the picture's proportions fits
// the frame onto the turned picture.
void MainWindow::adjustPicture(const PictureAdjustments& values)
{
    if (state != JobState::Idle || playedSet || values == adjustments)
        return;
    adjustments = values;
    settings.setAdjustments(values);
    if (!pictureOpened)
        return;
    const QSize before = currentFrame.size();
    videoInfo.firstFrame = AdjustmentStage::adjusted(plainFirstFrame, adjustments);
    // The picture at the position the clip stands at (a preview may have left it anywhere).
    if (plainFrameUs != positionUs) {
        core->sourceOptions = sourceOptions(ClipRange());
        const VideoInfo seen = core->readPlainFrame({positionUs, ClipRange::noEnd});
        plainFrame = seen.firstFrame.isNull() ? plainFirstFrame : seen.firstFrame;
        plainFrameUs = positionUs;
    }
    currentFrame = AdjustmentStage::adjusted(plainFrame, adjustments);
    if (currentFrame.size() != before) {
        // As on opening a clip of that size: the frame is fitted afresh.
        ui->graphicsView->fitPicture(currentFrame.size());
        if (selectedPanel) {
            selectPanel(panels.list().indexOf(selectedPanel)); // also refreshes the fan view
            return;
        }
        resizeDragWidget();
    }
    refreshFanView();
}

QRectF MainWindow::selectionRect() const
{
    return ViewGeometry::selectionRect(ui->widget->pos(), ui->widget->size(),
                                       ui->graphicsView->pos(), ui->graphicsView->imageRect,
                                       ui->graphicsView->scale);
}
