#pragma once
// The report's progress on standard error, when that is a terminal: one line, the
// lines written of all, overwritten in place and ended when the report ends.

#include <chrono>
#include <cstddef>
#include <iosfwd>

namespace kalvor {

class Progress {
public:
    // shown false: nothing is ever written.
    Progress(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
    ~Progress() { finish(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // done of all lines are written; redrawn a few times a second, and at the last.
    void show(std::size_t done, std::size_t all);
    // Ends the line, so that a notice can follow on a line of its own.
    void interrupt();
    void finish() { interrupt(); }

private:
    std::ostream& err_;
    bool shown_;
    bool open_ = false;  // a progress line is on the screen and not ended
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace kalvor
