#pragma once
// Answers the real modal message boxes of a window test, one after another, and
// records what each of them showed.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <vector>

namespace kalvor::testing {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool yesIsDefault = false;
    QStringList buttons;  // the texts of its Yes, No, Cancel and OK buttons, as far as it has them
};

class BoxAnswers {
public:
    // Clicks the given buttons.
    explicit BoxAnswers(std::initializer_list<QMessageBox::StandardButton> answers) {
        for (auto answer : answers) answers_.push_back({answer, 0});
        start();
    }
    // Types the given keys (a button's accelerator without Alt, as a box takes it).
    explicit BoxAnswers(std::initializer_list<Qt::Key> keys) {
        for (auto key : keys) answers_.push_back({QMessageBox::NoButton, key});
        start();
    }

    std::vector<SeenBox> seen;

private:
    struct Reply {
        QMessageBox::StandardButton button;
        int key;
    };

    void start() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answerOpenBox(); });
        timer_.start(10);
    }

    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // A box answered by a click is hidden at once; one answered by a key closes a
        // moment later, so it is remembered, never answered twice.
        if (!box || !box->isVisible() || box == answered_ || answers_.empty()) return;
        const QAbstractButton* yes = box->button(QMessageBox::Yes);
        SeenBox shown{box->windowTitle(), box->text(), box->icon(), yes != nullptr && box->defaultButton() == yes, {}};
        for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
            if (const QAbstractButton* b = box->button(which)) shown.buttons << b->text();
        seen.push_back(shown);
        const Reply reply = answers_.front();
        answers_.pop_front();
        answered_ = box;
        if (reply.key != 0) QTest::keyClick(box, static_cast<Qt::Key>(reply.key));
        else QTest::mouseClick(box->button(reply.button), Qt::LeftButton);
    }

    std::deque<Reply> answers_;
    QPointer<QMessageBox> answered_;
    QTimer timer_;
};

}  // namespace kalvor::testing
