#pragma once
// What the window tells assistive technologies beyond Qt's defaults: the result boxes,
// the prompt and the chart read as text, the captions as the boxes' labels, the legend's
// colours named, and every change of a read text announced.

#include <QObject>
#include <QString>

#include <functional>
#include <string_view>
#include <vector>

class QWidget;

namespace kalvor {

class Form1;

class ViewAccessibility final : public QObject {
public:
    // control: the view's widget by layout name. Lives as a child of the view.
    ViewAccessibility(QWidget& view, Form1& form, const std::function<QWidget*(std::string_view)>& control);

    // After every mirroring: describes the chart anew and announces what changed.
    void update();

private:
    struct Read {
        QWidget* widget;
        std::function<QString()> text;
        QString announced;
    };

    Form1& form_;
    QWidget* chart_ = nullptr;
    QString legend_;
    std::vector<Read> reads_;
};

}  // namespace kalvor
