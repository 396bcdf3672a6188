#include "import/FileNames.h"

#include <algorithm>

namespace kalvor {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

void sortNames(std::vector<std::string>& names) {
    // One pass over the common start decides; names equal but for case keep their
    // byte order, so that the order is total.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::size_t common = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < common; ++i) {
            if (a[i] == b[i]) continue;  // most of a shared start: no case to fold
            const auto x = static_cast<unsigned char>(lower(a[i]));
            const auto y = static_cast<unsigned char>(lower(b[i]));
            if (x != y) return x < y;
        }
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
}

bool matchesFilePattern(std::string_view name) {
    if (isHiddenName(name) || name.size() < 4) return false;
    const std::string_view ending = name.substr(name.size() - 4);
    return std::equal(ending.begin(), ending.end(), std::string_view(".txt").begin(),
                      [](char a, char b) { return lower(a) == b; });
}

std::vector<std::string> permanenceFiles(std::vector<std::string> files) {
    std::vector<std::string> names;
    for (std::string& n : files)
        if (matchesFilePattern(n)) names.push_back(std::move(n));
    sortNames(names);
    return names;
}

}  // namespace kalvor
