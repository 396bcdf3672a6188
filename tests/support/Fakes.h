#pragma once
// Test doubles for the ports: injected roulette numbers and a scripted desktop.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/Platform.h"
#include "core/Random.h"

namespace kalvor::testing {

// Draws the given roulette numbers in turn, then zeros.
class NumberSequence final : public RandomPort {
public:
    NumberSequence() = default;
    NumberSequence(std::initializer_list<int> numbers) : numbers_(numbers) {}
    void push(int n) { numbers_.push_back(n); }
    void seedFromClock() override { ++seeds; }
    float next() override {
        int n = 0;
        if (!numbers_.empty()) {
            n = numbers_.front();
            numbers_.pop_front();
        }
        return (static_cast<float>(n) + 0.5f) / 37.0f;
    }
    int seeds = 0;

private:
    std::deque<int> numbers_;
};

class FakePlatform final : public Platform {
public:
    Answer askYesNo(const std::string& message, const std::string& title) override {
        questions.push_back(title + "|" + message);
        return answer;
    }
    Answer askYesNoCancel(const std::string& message, const std::string& title) override {
        questions.push_back(title + "|" + message);
        return answer;
    }
    void inform(const std::string& message, const std::string& title) override {
        notices.push_back(title + "|" + message);
    }
    void showText(const std::string& message, const std::string& title, const std::string& button) override {
        texts.push_back(title + "|" + message + "|" + button);
    }
    std::string programDirectory() override { return "/opt/kalvor"; }
    std::optional<std::string> readFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    NumberFormat numberFormat() override { return format; }
    void quit() override { ++quits; }

    Answer answer = Answer::Yes;
    std::vector<std::string> questions;
    std::vector<std::string> notices;
    std::vector<std::string> texts;
    std::map<std::string, std::string> files;
    NumberFormat format;
    int quits = 0;
};

}  // namespace kalvor::testing
