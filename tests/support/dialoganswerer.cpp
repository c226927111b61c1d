#include "dialoganswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

DialogAnswerer::Seen describe(QWidget* dialog)
{
    DialogAnswerer::Seen seen;
    seen.className = dialog->metaObject()->className();
    seen.title = dialog->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        seen.text = box->text();
        for (QAbstractButton* button : box->buttons())
            seen.buttons << button->text();
    } else if (auto* input = qobject_cast<QInputDialog*>(dialog)) {
        seen.text = input->labelText();
        seen.value = input->textValue();
        seen.buttons << input->okButtonText() << input->cancelButtonText();
    }
    return seen;
}

void acceptAsIs(QWidget* dialog)
{
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button) {
            button->click();
            return;
        }
    }
    if (auto* plain = qobject_cast<QDialog*>(dialog))
        plain->accept();
    else
        dialog->close();
}

void cancel(QWidget* dialog)
{
    if (auto* plain = qobject_cast<QDialog*>(dialog))
        plain->reject();
    else
        dialog->close();
}

} // namespace

DialogAnswerer::DialogAnswerer(QObject* parent) : QObject(parent)
{
    // Polled rather than hooked: a modal dialog runs its own event loop, in which this timer
    // keeps firing.
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &DialogAnswerer::poll);
    m_timer.start();
}

DialogAnswerer::~DialogAnswerer() = default;

void DialogAnswerer::chooseFile(const QString& path)
{
    m_answers << [this, path](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (!files) {
            m_problems << QString("expected a file dialog for %1").arg(path);
            cancel(dialog);
            return;
        }
        files->selectFile(path);
        // selectFile leaves the name field alone while it has the focus.
        if (auto* name = files->findChild<QLineEdit*>("fileNameEdit"))
            name->setText(QFileInfo(path).fileName());
        static_cast<QDialog*>(files)->accept(); // QFileDialog hides its override
    };
}

void DialogAnswerer::chooseDirectory(const QString& directory)
{
    m_answers << [this, directory](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (!files) {
            m_problems << QString("expected a directory dialog for %1").arg(directory);
            cancel(dialog);
            return;
        }
        files->setDirectory(directory);
        static_cast<QDialog*>(files)->accept(); // QFileDialog hides its override
    };
}

void DialogAnswerer::enterText(const QString& text)
{
    m_answers << [this, text](QWidget* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        if (!input) {
            m_problems << QString("expected an input dialog for \"%1\"").arg(text);
            cancel(dialog);
            return;
        }
        input->setTextValue(text);
        input->accept();
    };
}

void DialogAnswerer::accept()
{
    m_answers << acceptAsIs;
}

void DialogAnswerer::reject()
{
    m_answers << cancel;
}

void DialogAnswerer::answerWith(const Answer& answer)
{
    m_answers << answer;
}

QStringList DialogAnswerer::titles() const
{
    QStringList result;
    for (const Seen& dialog : m_seen)
        result << dialog.title;
    return result;
}

void DialogAnswerer::poll()
{
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible())
        return;
    if (m_answering) {
        // An answer opened a dialog of its own (a file dialog's "file not found" warning):
        // the answer did not work out.
        const Seen seen = describe(dialog);
        m_seen << seen;
        m_problems << QString("%1 \"%2\" came up while answering: %3")
                          .arg(seen.className, seen.title, seen.text);
        cancel(dialog);
        return;
    }
    handle(dialog);
}

void DialogAnswerer::handle(QWidget* dialog)
{
    m_answering = true;
    const Seen seen = describe(dialog);
    m_seen << seen;
    if (m_answers.isEmpty()) {
        m_problems
            << QString("unexpected %1 \"%2\": %3").arg(seen.className, seen.title, seen.text);
        cancel(dialog);
    } else {
        const Answer answer = m_answers.takeFirst();
        answer(dialog);
    }
    m_answering = false;
}
