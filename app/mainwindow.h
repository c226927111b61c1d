#ifndef ROTAVIS_MAINWINDOW_H
#define ROTAVIS_MAINWINDOW_H

#include "loadedpanels.h"
#include "sourceoptions.h"
#include "pictureadjustments.h"
#include "videoinfo.h"
#include "windowsettings.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QRectF>
#include <QString>
#include <QTranslator>

#include <memory>

class Core;
class FanViewWorker;
class Panel;
class PanelCopy;
class QAction;
class PictureDialog;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QThread;
class QTimer;
class SetPlayer;
class SetViewWorker;

namespace Ui {
class MainWindow;
}

// The operator's window: open a clip, choose a panel, place the selection frame, preview
// and save, looking at the picture or at what the fans will show; or open a saved fan data
// set and play it as the fans show it. The work itself runs on the worker's thread, the fan
// view and the saved sets each on a thread of its own.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // What the window is doing. After a stop the window waits for the worker to confirm
    // that its run is over before it takes the next job. While a saved set is being opened
    // the window keeps what it showed and takes no other file or job.
    enum class JobState
    {
        Idle,
        Previewing,
        Saving,
        WaitingForWorker,
        OpeningSet
    };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Loads the catalogue of `lang` from beside the executable, shows the language loaded in
    // the language box and re-texts the commands.
    void setLanguage(QString lang);

    // The worker this window drives.
    Core* worker() const;
    JobState jobState() const { return state; }

    // Opens `path` as the open command does: a fan data file (".bin") plays its set, anything
    // else is opened as a clip.
    void openFile(const QString& path);

signals:
    void playPreviewer(Panel* panel);
    void beginOutput(QString outputPath, Panel* panel);

private slots:
    void on_pushButton_open_clicked();
    void on_pushButton_preview_clicked();
    void on_pushButton_save_clicked();
    void on_pushButton_picture_clicked();

public slots:
    void outputCompleted();
    void playCompleted();
    void outputProgress(int frameIndex, QImage previewImg);
    void showVideo();
    void resizeDragWidget();

private slots:
    void outputFailed(const QString& message);
    void outputWritten(int frames, bool stopped);
    void workerIdle();
    void showFanView(const QImage& picture, quint64 id);
    void adjustPicture(const PictureAdjustments& values);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Where the save in progress writes and what it was expected to write.
    struct SaveTarget
    {
        QString folder;
        QString outputPath;
        int fanCount = 0;
        int expectedFrames = 0; // about; 0 when the clip's length is unknown
        ClipRange range;        // of the clip
        PictureAdjustments adjustments;
    };

    void setUpShortcuts();
    void setUpResizing();
    void viewResized();
    QRect frameOver(const QRectF& selection) const;
    void setUpClipActions();
    SourceOptions sourceOptions(const ClipRange& range) const;
    bool canSeek() const;
    void seekTo(int ms);
    void showPendingSeek();
    void setInPoint();
    void setOutPoint();
    void clearPoints();
    void updateMarks();
    void reloadClip();
    void selectPanel(int index);
    void choosePanel(int index);
    void refitFrame();
    void showNoPanelNotice(const QString& configPath);
    void openClip(const QString& path);
    void openSet(const QString& path);
    void setOpened(std::shared_ptr<SetPlayer> set, bool ok);
    void playSet(std::shared_ptr<SetPlayer> set);
    void leaveSet();
    void refuseSet(const QString& title, const SetPlayer& set, const Panel* panel,
                   const QString& problem);
    void refreshSetView();
    void showSetView(const QImage& picture, quint64 id);
    void requestSetFrame();
    void toggleSetPreview();
    void stepSet();
    void updateSetProgress();
    void display(const QImage& frame);
    void refreshFanView();
    bool fanViewShown() const;
    void updateProgress();
    void applySelectionMask();
    QRectF selectionRect() const;
    void setState(JobState next);
    void updateCommands();
    void retextCommands();
    void switchLanguage(int index);
    void startJob();
    void endPreview();
    void stopWorker();
    bool askOutputName(QString* name);
    QString nameProblem(const QString& name) const;
    bool confirmReplacing(const QString& outputPath);
    QString savedSummary() const;
    QString adjustmentSummary(const PictureAdjustments& values) const;

    Ui::MainWindow* ui;
    QTimer* timer;
    VideoInfo videoInfo;
    LoadedPanels panels;
    Panel* selectedPanel = nullptr;
    int progressFrame = 0;
    QString fileName;
    int playIndex = 0;

    QTranslator translator;
    QTranslator qtTranslator; // Qt's own catalogue for the language of `translator`
    WindowSettings settings;
    Core* core = nullptr; // the worker, owned; lives on workerThread
    QThread* workerThread = nullptr;
    JobState state = JobState::Idle;
    bool workerRunning = false; // a preview or output run was requested and has not ended
    bool pictureOpened = false; // the last file opened gave a first frame
    bool closing = false;       // the operator closed the window during a save
    QString outputError;        // why the output run in progress failed, if it did
    int framesWritten = 0;      // by the last output run
    bool outputStopped = false; // the last output run ended on a stop
    SaveTarget saveTarget;
    QElapsedTimer saveClock;

    QImage currentFrame; // the picture at the current position, at its own size
    QSize viewSize;      // the picture view's size that the picture and frame were placed for
    // The frame's place on the picture as the last resize left it, so that a run of resizes
    // does not let the frame drift by the rounding of each.
    QRect resizedFrame;
    QRectF resizedSelection;
    // The clip's position: the time of the picture on the screen (or the first picture at or
    // after it), counted from the clip's first picture. A preview runs from it, in and out
    // points are set at it.
    qint64 positionUs = 0;
    qint64 previewStartUs = 0;      // where the preview in progress started
    bool previewReachedEnd = false; // the last preview played to the end of the clip
    bool positionShown = true;      // the label shows the position, not a run's progress
    qint64 progressBaseUs = 0;      // where the run whose progress is shown started
    qint64 framesSaved = 0;         // by the save in progress, as far as its progress has told
    ClipRange points;               // the open clip's in and out points
    qint64 pendingSeekUs = -1;      // a seek not yet shown; -1 for none
    QTimer* seekTimer = nullptr;
    QAction* inAction = nullptr;
    QAction* outAction = nullptr;
    QAction* clearPointsAction = nullptr;
    QAction* autorotateAction = nullptr;
    QAction* exactTimingAction = nullptr;
    // The clip's first picture before the adjustments, which follow the picture dialog live.
    QImage plainFirstFrame;
    // The picture at plainFrameUs before the adjustments (-1: none).
    QImage plainFrame;
    qint64 plainFrameUs = -1;
    PictureAdjustments adjustments;
    PictureDialog* pictureDialog = nullptr;
    FanViewWorker* fanViewer = nullptr;
    QThread* fanViewThread = nullptr;
    quint64 fanViewRequests = 0; // requests made so far
    quint64 fanViewOldest = 0;   // the first request whose answer still fits the window

    // The saved set played instead of a clip; null while a clip (or nothing) is open. Its
    // pictures are drawn on the set viewer's thread; the window only reads what opening it
    // settled (frames, LED counts, the fit to a panel).
    std::shared_ptr<SetPlayer> playedSet;
    std::shared_ptr<const PanelCopy> setPanel; // the panel it is drawn for
    qint64 setFrame = 0;                       // the set's frame on the screen
    struct Opening
    {
        QString file;  // the file of the set being opened
        QString label; // the label's text before, shown again if the set is refused
    } opening;
    bool fansCheckedForClips = false; // the fans box as the operator left it for clips
    SetViewWorker* setViewer = nullptr;
    QThread* setViewThread = nullptr;
    quint64 setViewRequests = 0;
    quint64 setViewOldest = 0;
};

#endif
