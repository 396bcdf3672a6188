#pragma once
// Answers the real modal message boxes of a window test, one after another, and
// records what each of them showed.

#include <QApplication>
#include <QMessageBox>
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
};

class BoxAnswers {
public:
    explicit BoxAnswers(std::initializer_list<QMessageBox::StandardButton> answers) : answers_(answers) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answerOpenBox(); });
        timer_.start(10);
    }

    std::vector<SeenBox> seen;

private:
    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // A box just answered is hidden at once, so it is never answered twice.
        if (!box || !box->isVisible() || answers_.empty()) return;
        const QAbstractButton* yes = box->button(QMessageBox::Yes);
        seen.push_back(SeenBox{box->windowTitle(), box->text(), box->icon(),
                               yes != nullptr && box->defaultButton() == yes});
        const auto answer = answers_.front();
        answers_.pop_front();
        QTest::mouseClick(box->button(answer), Qt::LeftButton);
    }

    std::deque<QMessageBox::StandardButton> answers_;
    QTimer timer_;
};

}  // namespace kalvor::testing
