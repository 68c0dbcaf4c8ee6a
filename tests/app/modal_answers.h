#pragma once

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

// Answers the modal windows that the code under test opens, in the order they open: each
// modal window that appears is handed to the next queued answer. The texts of the message
// boxes it met are kept, so that a test can check what the user was told.
class TModalAnswers : public QObject {
public:
    using TAnswer = std::function<void(QWidget *modal)>;

    TModalAnswers()
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Poll(); });
        FTimer.start();
    }

    void Add(TAnswer answer) { FAnswers.push_back(std::move(answer)); }

    // Answers that close a message box with OK, recording its text.
    void AddMessageBoxOk() { Add([](QWidget *) {}); }

    int ModalsSeen() const { return FModalsSeen; }
    const QStringList &Messages() const { return FMessages; }
    bool AllAnswered() const { return FAnswers.empty(); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == FLastModal && event->type() == QEvent::Hide) {
            watched->removeEventFilter(this);
            FLastModal = nullptr;
        }
        return false;
    }

private:
    void Poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == FLastModal)
            return;
        // The same dialog may open again right after it closed: its hiding ends its turn.
        FLastModal = modal;
        modal->installEventFilter(this);
        ++FModalsSeen;
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box)
            FMessages << box->text();
        if (FAnswers.empty()) {
            // Nobody expected this window: close it so that the test does not hang.
            modal->close();
            return;
        }
        TAnswer answer = std::move(FAnswers.front());
        FAnswers.pop_front();
        answer(modal);
        if (box && box->isVisible())
            box->button(QMessageBox::Ok)->click();
    }

    QTimer FTimer;
    std::deque<TAnswer> FAnswers;
    QWidget *FLastModal = nullptr;
    int FModalsSeen = 0;
    QStringList FMessages;
};
