// A permanence file is whatever the user picks: any bytes must import or be refused
// cleanly, with the list exactly as long as the count says.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "import/FieldReader.h"
#include "import/Permanence.h"

namespace {

// One file, the same bytes at every opening.
class OneFile final : public kalvor::FileSystem {
public:
    explicit OneFile(std::string bytes) : bytes_(std::move(bytes)) {}
    std::vector<std::string> drives() override { return {"/"}; }
    std::optional<std::vector<std::string>> subdirectories(const std::string&) override { return std::nullopt; }
    std::optional<std::vector<std::string>> files(const std::string&) override { return std::nullopt; }
    std::unique_ptr<std::istream> open(const std::string&) override {
        return std::make_unique<std::istringstream>(bytes_);
    }
    std::string currentDirectory() override { return "/"; }

private:
    std::string bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::istringstream in(bytes);
    kalvor::FieldReader reader(in);
    size_t fields = 0;
    while (reader.next()) ++fields;
    if (reader.failed() || fields > size) __builtin_trap();

    OneFile file(bytes);
    const auto read = kalvor::readPermanence(file, "/p.txt");
    if (read.outcome != kalvor::PermanenceRead::Outcome::Read) return 0;
    if (read.numbers.size() != read.count + kalvor::kPermMargin + 1) __builtin_trap();
    for (size_t i = 0; i < read.numbers.size(); ++i)
        if (read.numbers[i].has_value() != (i >= 1 && i <= read.count)) __builtin_trap();
    return 0;
}
