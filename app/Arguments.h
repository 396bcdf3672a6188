#pragma once
// The command lines of both programs, read the same way: GNU's getopt_long, with
// options and names in any order, "--" ending the options, "-jN" and "--chart=DIR"
// as well as "-j N" and "--chart DIR". What was wrong is said in German by the
// caller; getopt prints nothing of its own.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

struct OptionSpec {
    int id;
    std::string_view longName;  // without "--"; empty: none
    char shortName;             // 0: none
    bool takesValue;
};

struct ParsedArguments {
    struct Option {
        int id;
        std::string value;
    };
    std::vector<Option> options;     // in the order given
    std::vector<std::string> names;  // the arguments that are no options
    // Set when the line is wrong: the option as the user wrote it, and whether it is
    // unknown or lacks its value.
    std::string badOption;
    bool missingValue = false;

    bool ok() const { return badOption.empty(); }
};

// args without the program's name.
ParsedArguments parseArguments(const std::vector<std::string>& args, std::span<const OptionSpec> table);

}  // namespace kalvor
