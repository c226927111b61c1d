#ifndef ROTAVIS_MAINWINDOW_H
#define ROTAVIS_MAINWINDOW_H

#include "videoinfo.h"

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QRectF>
#include <QString>
#include <QTranslator>

class Core;
class Panel;
class QTimer;

namespace Ui {
class MainWindow;
}

// The operator's window: open a clip, choose a panel, place the selection frame, preview
// and save. The work itself runs on the worker's thread.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Loads the catalogue of `lang` from beside the executable and re-texts the commands.
    void setLanguage(QString lang);

    // The worker this window drives.
    Core* worker() const;

signals:
    void playPreviewer(Panel* panel);
    void beginOutput(QString outputPath, Panel* panel);

private slots:
    void on_pushButton_open_clicked();
    void on_pushButton_preview_clicked();
    void on_pushButton_save_clicked();

public slots:
    void outputCompleted();
    void playCompleted();
    void outputProgress(int frameIndex, QImage previewImg);
    void showVideo();
    void resizeDragWidget();

private slots:
    void outputFailed(const QString& message);
    void workerIdle();

private:
    void selectPanel(int index);
    void showNoPanelNotice(const QString& configPath);
    void showPicture(const QImage& picture);
    void showFrame(const QImage& frame);
    void clearPicture();
    void updateProgress();
    void applySelectionMask();
    QRectF selectionRect() const;
    bool isStopText(const QString& text) const;
    void enableIdleCommands();
    void switchLanguage(int index);
    void startJob();
    void stopWorker();

    Ui::MainWindow* ui;
    QTimer* timer;
    VideoInfo videoInfo;
    QList<Panel*> panels;
    Panel* selectedPanel = nullptr;
    int progressFrame = 0;
    QString fileName;
    int playIndex = 0;

    QTranslator translator;
    QThread* workerThread = nullptr;
    bool workerBusy = false;    // a preview or output run was requested and has not ended
    bool pictureOpened = false; // the last file opened gave a first frame
    QString outputError;        // why the output run in progress failed, if it did
};

#endif
