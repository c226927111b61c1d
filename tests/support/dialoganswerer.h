#ifndef ROTAVIS_DIALOGANSWERER_H
#define ROTAVIS_DIALOGANSWERER_H

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Plays the operator at the modal dialogs of a window under test (file dialogs, the name
// dialog, message boxes). Answers are queued before the action that opens the dialogs; each
// modal dialog that comes up takes the next answer, in order. A dialog that finds no answer,
// or one of the wrong kind, is rejected and noted in problems(), so a test never hangs on it.
// Needs Qt's own widget dialogs (an empty QT_QPA_PLATFORMTHEME) so that the dialogs are
// widgets it can fill in.
class DialogAnswerer : public QObject
{
    Q_OBJECT

public:
    // What a dialog showed when it came up.
    struct Seen
    {
        QString className;   // "QFileDialog", "QInputDialog", "QMessageBox", ...
        QString title;       // window title
        QString text;        // message text of a box, label text of an input dialog
        QString value;       // proposed text of an input dialog
        QStringList buttons; // button texts of a box or an input dialog, in layout order
    };

    // Custom answer: gets the dialog, must close it (accept, reject or click a button).
    using Answer = std::function<void(QWidget* dialog)>;

    explicit DialogAnswerer(QObject* parent = nullptr);
    ~DialogAnswerer() override;

    // A file dialog: select `path` (an existing file) and accept.
    void chooseFile(const QString& path);
    // A file dialog in directory mode: go to `directory` and accept.
    void chooseDirectory(const QString& directory);
    // An input dialog: replace the proposed text with `text` and accept.
    void enterText(const QString& text);
    // Any dialog: accept it as it is (a message box: its OK or only button).
    void accept();
    // Any dialog: cancel it.
    void reject();
    // Any dialog: run `answer` on it.
    void answerWith(const Answer& answer);

    // Every dialog answered so far, in order, including unexpected ones.
    QList<Seen> seen() const { return m_seen; }
    // Titles of the dialogs seen, for quick comparisons.
    QStringList titles() const;
    // Answers still waiting for their dialog.
    int pending() const { return m_answers.size(); }
    // Dialogs that came up without an answer or did not fit theirs.
    QStringList problems() const { return m_problems; }

private:
    void poll();
    void handle(QWidget* dialog);

    QTimer m_timer;
    QList<Answer> m_answers;
    QList<Seen> m_seen;
    QStringList m_problems;
    bool m_answering = false;
};

#endif
