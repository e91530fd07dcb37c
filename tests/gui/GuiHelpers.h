// Helpers of the GUI tests: modal windows and runs driven from timers.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <functional>

#include "mainwindow/options.h"
#include "training/Quest.h"

namespace ravx::guitest {

// Runs `action` on the next modal window that appears (polling the event loop).
inline void onNextModal(std::function<void(QWidget*)> action, int tries = 200)
{
    QTimer::singleShot(10, [action = std::move(action), tries]() mutable {
        if (QWidget* w = QApplication::activeModalWidget()) {
            action(w);
        } else if (tries > 0) {
            onNextModal(std::move(action), tries - 1);
        }
    });
}

// During a run: polls `ready` and presses Esc on the window once it holds
// (or after `timeoutMs`, and the test's checks then fail).
inline void escapeWhen(QWidget* window, std::function<bool()> ready, int timeoutMs = 15000)
{
    auto* poll = new QTimer(window);
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(poll, &QTimer::timeout, [=] {
        if (ready() || waited->elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
            delete waited;
            QTest::keyClick(window, Qt::Key_Escape);
        }
    });
    poll->start(10);
}

// Answers the start-up windows of the main window's first showing: the
// settings dialog (inspected, then confirmed with "Ввод") and the port
// message (its text kept).
// A test binary carries no question bank, so the entry test only says
// "Отсутствуют вопросы!" and lets the student in.
inline void answerStartUp(std::function<void(Toption*)> inspect, QString* portMessage)
{
    onNextModal([inspect = std::move(inspect), portMessage](QWidget* w) mutable {
        if (auto* options = qobject_cast<Toption*>(w)) {
            if (inspect)
                inspect(options);
            options->Button2->click();
            onNextModal([portMessage](QWidget* box) {
                if (auto* message = qobject_cast<QMessageBox*>(box); message && portMessage)
                    *portMessage = message->text();
                box->close();
            });
        } else if (auto* test = qobject_cast<TForm5*>(w)) {
            test->NameE->setText(QStringLiteral("Студент"));
            test->GrE->setText(QStringLiteral("101"));
            answerStartUp(std::move(inspect), portMessage);
            test->OkB->click();
        } else {
            w->close();  // the missing bank's message
            answerStartUp(std::move(inspect), portMessage);
        }
    });
}

// While it lives, answers every modal window that opens with a key (Esc
// or Space) and counts them.
class ModalAnswerer {
public:
    explicit ModalAnswerer(Qt::Key key = Qt::Key_Space) : key_(key)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (w && w != last_) {
                last_ = w;
                ++count;
                QTest::keyClick(w, key_);
            } else if (!w) {
                last_ = nullptr;
            }
        });
        poll_.start(5);
    }
    int count = 0;

private:
    Qt::Key key_;
    QTimer poll_;
    QWidget* last_ = nullptr;
};

}  // namespace ravx::guitest
