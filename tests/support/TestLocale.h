#pragma once
// The suite runs its core and window tests a second time as on a German desktop:
// those runs get "--locale=de_DE.UTF-8". A locale that is not installed would
// leave the C library in "C" and the run would prove nothing, so it fails instead.

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kalvor::testing {

// Sets LANG and LC_ALL to the locale named by "--locale=NAME", if given, before
// anything reads them, then takes the C library's locale from the environment as
// QApplication does in the program. False when the named locale is missing.
inline bool takeLocaleFromArguments(int argc, char** argv) {
    constexpr std::string_view option = "--locale=";
    std::string wanted;
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]).starts_with(option)) wanted = argv[i] + option.size();
    if (!wanted.empty()) {
        setenv("LANG", wanted.c_str(), 1);
        setenv("LC_ALL", wanted.c_str(), 1);
    }
    std::setlocale(LC_ALL, "");
    if (wanted.empty()) return true;
    const char* active = std::setlocale(LC_NUMERIC, nullptr);
    if (active != nullptr && active == wanted) return true;
    std::fprintf(stderr, "The locale %s is not installed (scripts/setup.sh --test generates it).\n", wanted.c_str());
    return false;
}

}  // namespace kalvor::testing
