// The field reader over any bytes: it ends, never yields more fields than a file
// of that size can hold, and gives the same fields however the bytes arrive in
// blocks; skip() keeps the first bytes of each of them.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "import/FieldReader.h"

namespace {

// Gives its bytes in blocks of one to seven bytes.
class Dribble final : public std::streambuf {
public:
    explicit Dribble(std::string bytes) : bytes_(std::move(bytes)) {}

protected:
    int_type underflow() override {
        if (at_ >= bytes_.size()) return traits_type::eof();
        const std::size_t n = std::min<std::size_t>(1 + blocks_++ % 7, bytes_.size() - at_);
        setg(bytes_.data() + at_, bytes_.data() + at_, bytes_.data() + at_ + n);
        at_ += n;
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string bytes_;
    std::size_t at_ = 0, blocks_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    kalvor::FieldReader reader(in);
    std::vector<kalvor::Field> whole;
    size_t bytesRead = 0;
    while (auto field = reader.next()) {
        whole.push_back(*field);
        bytesRead += field->text.size();
    }
    if (reader.failed() || whole.size() > size || bytesRead > size) __builtin_trap();

    Dribble dribble(bytes);
    std::istream slow(&dribble);
    kalvor::FieldReader blocks(slow);
    for (const kalvor::Field& expected : whole) {
        const kalvor::Field* field = blocks.next();
        if (!field || *field != expected) __builtin_trap();
    }
    if (blocks.next() || blocks.failed()) __builtin_trap();

    std::istringstream again(bytes);
    kalvor::FieldReader skipping(again);
    for (const kalvor::Field& expected : whole) {
        const kalvor::Field* field = skipping.skip();
        if (!field || field->text != expected.text.substr(0, 16)) __builtin_trap();
    }
    if (skipping.skip()) __builtin_trap();
    return 0;
}
