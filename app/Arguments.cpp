#include "app/Arguments.h"

#include <getopt.h>

#include <mutex>

namespace kalvor {

namespace {

// getopt keeps its place in globals.
std::mutex getoptMutex;

// The argument the user wrote for the short option letter that getopt refused.
std::string writtenShortOption(const std::vector<std::string>& args, char letter) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a.size() > 1 && a[0] == '-' && a[1] != '-' && a.find(letter, 1) != std::string::npos) return a;
    }
    return std::string("-") + letter;
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args, std::span<const OptionSpec> table) {
    ParsedArguments parsed;
    std::string shortOptions = ":";  // a missing value is told apart from an unknown option
    std::vector<std::string> longNames;
    std::vector<option> longOptions;
    longNames.reserve(table.size());
    for (const OptionSpec& s : table) {
        if (s.shortName != 0) {
            shortOptions += s.shortName;
            if (s.takesValue) shortOptions += ':';
        }
        if (!s.longName.empty()) {
            longNames.emplace_back(s.longName);
            longOptions.push_back({longNames.back().c_str(), s.takesValue ? required_argument : no_argument, nullptr,
                                   256 + static_cast<int>(&s - table.data())});
        }
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> storage{"kalvor"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);

    const std::lock_guard lock(getoptMutex);
    opterr = 0;
    optind = 0;  // glibc: start afresh
    const int argc = static_cast<int>(storage.size());
    for (;;) {
        const int previous = optind;
        const int c = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (c == -1) break;
        if (c == '?' || c == ':') {
            parsed.missingValue = c == ':';
            if (optopt >= 256) {  // a long option without its value
                parsed.badOption = "--" + std::string(table[static_cast<size_t>(optopt - 256)].longName);
            } else if (optopt != 0) {
                parsed.badOption = writtenShortOption(args, static_cast<char>(optopt));
            } else {
                // A long option: the whole argument getopt just stepped over.
                const int at = optind > previous ? optind - 1 : previous;
                std::string written = argv[static_cast<size_t>(at)] ? argv[static_cast<size_t>(at)] : "";
                if (const size_t eq = written.find('='); eq != std::string::npos) written.resize(eq);
                parsed.badOption = written;
            }
            return parsed;
        }
        const OptionSpec* chosen = nullptr;
        if (c >= 256) {
            chosen = &table[static_cast<size_t>(c - 256)];
        } else {
            for (const OptionSpec& s : table)
                if (s.shortName == c) chosen = &s;
        }
        if (chosen == nullptr) continue;
        parsed.options.push_back({chosen->id, chosen->takesValue && optarg ? std::string(optarg) : std::string()});
    }
    for (int i = optind; i < argc; ++i) parsed.names.emplace_back(argv[static_cast<size_t>(i)]);
    return parsed;
}

}  // namespace kalvor
