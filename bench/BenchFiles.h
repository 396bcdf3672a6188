#pragma once
// Files the benchmarks make for their run: a scratch directory, removed at the
// end with everything in it, and permanences in the published layout.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>

namespace kalvor::bench {

struct ScratchDirectory {
    ScratchDirectory() {
        char pattern[] = "/tmp/kalvor_bench_XXXXXX";
        if (!::mkdtemp(pattern)) std::abort();
        path = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::filesystem::path path;
};

// Header, one number a line, dashes every hour of 50 throws, "=" at the end.
template <typename Table, typename Day>
void writePermanence(const std::filesystem::path& file, const Table& table, const Day& day, int numbers,
                     std::mt19937& engine) {
    std::ofstream out(file, std::ios::binary);
    out << "Spielbank Hamburg\r\nTisch " << table << "\r\n" << day << "\r\nPermanenz ab 15.00 Uhr\r\n";
    for (int i = 1; i <= numbers; ++i) {
        out << engine() % 37 << "\r\n";
        if (i % 50 == 0) out << "--------------------\r\n";
    }
    out << "=\r\n";
}

}  // namespace kalvor::bench
