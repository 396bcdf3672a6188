// The field reader over any bytes: it ends, and never yields more fields than a
// file of that size can hold.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "import/FieldReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    kalvor::FieldReader reader(in);
    size_t fields = 0;
    size_t bytes = 0;
    while (auto field = reader.next()) {
        ++fields;
        bytes += field->text.size();
    }
    if (reader.failed() || fields > size || bytes > size) __builtin_trap();
    return 0;
}
