// The whole import of any file through the panel's "OK", then its replay: the file
// imports or is refused cleanly, the list is exactly as long as the count says,
// and no throw reaches beyond it.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "core/Controls.h"
#include "core/Random.h"
#include "core/SeriesState.h"
#include "core/ThrowEngine.h"
#include "app/Window.h"
#include "tests/support/Fakes.h"

namespace {

// One directory "/" holding one file, the same bytes at every opening.
class OneFile final : public kalvor::FileSystem {
public:
    explicit OneFile(std::string bytes) : bytes_(std::move(bytes)) {}
    std::vector<std::string> drives() override { return {"/"}; }
    std::optional<std::vector<std::string>> subdirectories(const std::string&) override {
        return std::vector<std::string>{};
    }
    std::optional<std::vector<std::string>> files(const std::string&) override {
        return std::vector<std::string>{"p.txt"};
    }
    kalvor::OpenedFile open(const std::string&) override {
        kalvor::OpenedFile file;
        file.stream = std::make_unique<std::istringstream>(bytes_);
        file.size = bytes_.size();
        return file;
    }
    std::string currentDirectory() override { return "/"; }

private:
    std::string bytes_;
};

class NoRandom final : public kalvor::RandomPort {
public:
    void seedFromClock() override {}
    float next() override { __builtin_trap(); }  // an imported series never draws
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OneFile file(std::string(reinterpret_cast<const char*>(data), size));
    kalvor::testing::FakePlatform platform;
    NoRandom random;
    kalvor::NoPrinter printer;
    kalvor::Window window({platform, random, file, printer});
    kalvor::Controls& controls = window.controls();
    kalvor::SeriesState& state = window.state();
    controls.okextern.click();
    controls.File1.click(0);
    controls.okexternok.click();
    if (state.extern_ == 0) {
        if (state.permPresent) __builtin_trap();
        return 0;
    }
    if (!state.permPresent || state.perm.size() != static_cast<size_t>(state.zeilen) + 21) __builtin_trap();

    // Replay past the end of the list: the series stops at its last element.
    if (!controls.okstart.enabled) return 0;  // nothing to replay
    state.anzahl = state.zeilen + 100;
    controls.Option1.select(kalvor::Mode::Durchlauf);
    controls.okstart.click();
    if (state.akut > state.zeilen + 20 || controls.okstart.enabled) __builtin_trap();
    return 0;
}
