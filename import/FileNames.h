#pragma once
// Which names of a directory are permanences to offer, and in what order: the file
// list of the import panel and the report's directories show the same names alike.

#include <string>
#include <string_view>
#include <vector>

namespace kalvor {

// Names starting with a full stop: left out of the lists.
constexpr bool isHiddenName(std::string_view name) { return name.starts_with('.'); }
// Directories and files in the order the lists show them: by name, ignoring case
// (ASCII only, whatever the process locale says).
void sortNames(std::vector<std::string>& names);
// True for names the file list shows: "*.txt" in any case, hidden files left out.
bool matchesFilePattern(std::string_view name);
// Of the plain files of a directory, those the file list shows, in its order.
std::vector<std::string> permanenceFiles(std::vector<std::string> files);

}  // namespace kalvor
