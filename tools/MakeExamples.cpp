// Writes the example permanences in examples/ (or checks that they are current).
// They imitate the published files: a four-line header, one number a line, a line
// of dashes after every hour of play, "=" at the end. The numbers come from a fixed
// seed, so every run writes the same bytes.
//
//   kalvor_make_examples DIR            write the examples into DIR
//   kalvor_make_examples --check DIR    exit 1 when a file in DIR differs

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

struct Example {
    std::string fileName;
    std::string table;    // second header line, as the file's bytes
    std::string day;      // third header line
    std::string opening;  // fourth header line, which the import skips
    std::string lineEnd;
    std::uint32_t seed;
    int throws;
    int perHour;
};

// A roulette number 0..36 from the engine's raw output, without modulo bias, so the
// files do not depend on a library's distribution classes.
int rouletteNumber(std::mt19937& engine) {
    constexpr std::uint32_t kLimit = 0xFFFFFFFFu - (0xFFFFFFFFu % 37u);
    std::uint32_t r = 0;
    do r = static_cast<std::uint32_t>(engine());
    while (r >= kLimit);
    return static_cast<int>(r % 37u);
}

std::string permanence(const Example& e) {
    std::mt19937 engine(e.seed);
    const std::string& nl = e.lineEnd;
    std::string text = "Spielbank Hamburg" + nl + e.table + nl + e.day + nl + e.opening + nl;
    for (int i = 1; i <= e.throws; ++i) {
        text += std::to_string(rouletteNumber(engine)) + nl;
        if (i % e.perHour == 0 && i < e.throws) text += "--------------------" + nl;
    }
    text += "=" + nl;
    return text;
}

std::vector<Example> examples() {
    return {
        {"hamburg_2026-11-27_tisch1.txt", "Tisch 1", "Freitag 27.11.2026", "Permanenz ab 15.00 Uhr", "\r\n", 20261127u,
         312, 52},
        // Written with the Windows code page, as older files are: 0xF6 is the o with umlaut.
        {"hamburg_2026-11-28_tisch3.txt", "Tisch 3 - Franz\xF6sisches Roulette", "Samstag 28.11.2026",
         "Permanenz ab 15.00 Uhr", "\n", 20261128u, 250, 50},
        {"hamburg_2026-11-29_tisch2.txt", "Tisch 2", "Sonntag 29.11.2026", "Permanenz ab 19.00 Uhr", "\r\n", 20261129u,
         75, 25},
    };
}

bool sameContent(const std::filesystem::path& path, const std::string& expected) {
    std::ifstream in(path, std::ios::binary);
    const std::string actual((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return in.good() || in.eof() ? actual == expected : false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: %s [--check] DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[argc - 1];
    int result = 0;
    for (const Example& e : examples()) {
        const std::string text = permanence(e);
        if (check) {
            if (!sameContent(dir / e.fileName, text)) {
                std::fprintf(stderr, "%s is not what the generator writes\n", e.fileName.c_str());
                result = 1;
            }
            continue;
        }
        std::ofstream out(dir / e.fileName, std::ios::binary);
        out << text;
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", e.fileName.c_str());
            result = 1;
        }
    }
    return result;
}
