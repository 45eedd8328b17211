#pragma once

// Answers the modal dialogs that a step of a test opens, one after another,
// the way a user would: each answer gets the dialog once it is up. A dialog
// an answer leaves open is rejected, so that a failing check never hangs the
// test.

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using ModalAnswer = std::function<void(QWidget*)>;

class ModalAnswers final : public QObject
{
public:
    explicit ModalAnswers(QList<ModalAnswer> answers)
        : m_answers(std::move(answers))
    {
        connect(&m_poll, &QTimer::timeout, this, &ModalAnswers::AnswerActiveDialog);
        m_poll.start(5);
    }

    bool AllAnswered() const { return m_answers.isEmpty(); }

private:
    void AnswerActiveDialog()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == m_last)
            return;
        m_last = modal;
        if (m_answers.isEmpty()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            return;
        }
        const ModalAnswer answer = m_answers.takeFirst();
        QPointer<QWidget> guard = modal;
        answer(modal);
        if (guard && guard->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(guard.data()))
                dialog->reject();
        }
    }

    QList<ModalAnswer> m_answers;
    QPointer<QWidget> m_last;
    QTimer m_poll;
};

// Types into the name dialog and clicks its OK (or Cancel) button.
inline ModalAnswer TypeName(const QString& text, bool accept = true, QString* shownText = nullptr)
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        QVERIFY(dialog);
        auto* edit = dialog->findChild<QLineEdit*>();
        QVERIFY(edit);
        if (shownText)
            *shownText = edit->text();
        edit->clear();
        QTest::keyClicks(edit, text);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    };
}

// Records a message box's title and text, then clicks one of its buttons.
inline ModalAnswer ClickBox(QMessageBox::StandardButton button, QString* title = nullptr,
                            QString* text = nullptr)
{
    return [=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        if (title)
            *title = box->windowTitle();
        if (text)
            *text = box->text();
        QAbstractButton* clicked = box->button(button);
        QVERIFY(clicked);
        clicked->click();
    };
}

// Types one text into each line edit of a dialog, in order, and clicks the
// button with the given text.
inline ModalAnswer FillDialog(const QStringList& texts, const QString& button = QStringLiteral("OK"))
{
    return [=](QWidget* modal) {
        const auto edits = modal->findChildren<QLineEdit*>();
        QCOMPARE(edits.size(), texts.size());
        for (int i = 0; i < texts.size(); ++i)
            QTest::keyClicks(edits[i], texts[i]);
        const auto buttons = modal->findChildren<QPushButton*>();
        for (QPushButton* candidate : buttons) {
            if (candidate->text() == button) {
                QVERIFY(candidate->isEnabled());
                candidate->click();
                return;
            }
        }
        QFAIL("no such button");
    };
}

// Records a message box's title and text, then clicks the button with the
// given text.
inline ModalAnswer ClickBoxButton(const QString& button, QString* title = nullptr, QString* text = nullptr)
{
    return [=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        if (title)
            *title = box->windowTitle();
        if (text)
            *text = box->text();
        const auto buttons = box->buttons();
        for (QAbstractButton* candidate : buttons) {
            if (candidate->text() == button) {
                candidate->click();
                return;
            }
        }
        QFAIL("no such button");
    };
}
