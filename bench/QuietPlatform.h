#pragma once
// A desktop port that asks nobody: every question is answered Yes, so a benchmark
// can reset a series without a dialog.

#include "core/Platform.h"

namespace kalvor::bench {

class QuietPlatform final : public Platform {
public:
    Answer askYesNo(const std::string&, const std::string&) override { return Answer::Yes; }
    Answer askYesNoCancel(const std::string&, const std::string&) override { return Answer::No; }
    void inform(const std::string&, const std::string&) override {}
    std::string programDirectory() override { return "."; }
    std::optional<std::string> readFile(const std::string&) override { return std::nullopt; }
    NumberFormat numberFormat() override { return {}; }
    void quit() override {}
};

}  // namespace kalvor::bench
