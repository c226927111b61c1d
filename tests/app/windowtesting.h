#ifndef ROTAVIS_WINDOWTESTING_H
#define ROTAVIS_WINDOWTESTING_H

#include "dialoganswerer.h"
#include "dragwidget.h"
#include "mainwindow.h"
#include "playwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QTimer>

// What the window tests share: the installation file beside the test program, the window's
// widgets by their object names, and the commands driven as the operator drives them.
namespace WindowTesting {

// The window reads fanconfig.xml from beside the executable, that is beside the test.
QString configPath();
// Writes the installation file for the next window; `panels` is the inside of <panels>.
void writeConfig(const QString& panels);
void removeConfig();

// What the window remembers between runs goes to a folder beside the test program, not to
// the user's settings; this also forgets everything remembered so far.
void freshSettings();

// A text of the window in the language now loaded.
QString translated(const char* source);

// The window's widgets, found by their object names.
struct Parts
{
    explicit Parts(MainWindow& window);

    QPushButton* open;
    QPushButton* preview;
    QPushButton* save;
    QComboBox* panels;
    QLabel* label;
    QGroupBox* groupBox;
    QWidget* area; // widget_2, the black picture area
    PlayWidget* view;
    DragWidget* frame;
    QProgressBar* progressBar;
    QComboBox* language;
    QCheckBox* fans;
    QTimer* timer;
};

// Chooses an item as the operator does: the combo box's activated(int).
void choose(QComboBox* box, int index);

// The open command with `path` chosen in its dialog.
void open(QPushButton* openButton, DialogAnswerer& dialogs, const QString& path);

// The save command with `name` entered and `directory` chosen; returns once the run has
// been requested (the "Saved" box is answered later, when it comes up).
void startSave(QPushButton* saveButton, DialogAnswerer& dialogs, const QString& name,
               const QString& directory);

// Picture k of a clip as the ffmpeg tool decodes it (all pictures of `all`, packed RGB24).
QImage clipPicture(const QByteArray& all, const QSize& size, int k);

// The view's picture: the one pixmap in its scene (null when there is none).
QImage shownPicture(const PlayWidget* view);
// Where that picture lies in the view: its top-left corner in view coordinates.
QPoint shownAt(const PlayWidget* view);

} // namespace WindowTesting

#endif
