#include "report/Progress.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "core/NumberText.h"

namespace kalvor {

void Progress::show(std::size_t done, std::size_t all) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (open_ && done < all && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    std::string line = "\rkalvor1-report: ";
    line += integerText(done);
    line += " von ";
    line += integerText(std::max(done, all));
    line += " Dateien";
    err_.write(line.data(), static_cast<std::streamsize>(line.size()));
    err_.flush();
    open_ = true;
}

void Progress::interrupt() {
    if (!open_) return;
    err_.put('\n');
    err_.flush();
    open_ = false;
}

}  // namespace kalvor
