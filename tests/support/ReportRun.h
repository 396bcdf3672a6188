#pragma once
// The report run in the test's own process, as its main runs it, and its CSV taken
// apart: what the report tests share.

#include <sstream>
#include <string>
#include <vector>

#include "report/Report.h"

namespace kalvor::testing {

struct ReportRun {
    int status;
    std::string out, err;
};

inline ReportRun reportRun(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int status = reportMain(arguments, out, err);
    return {status, out.str(), err.str()};
}

// The lines of a CSV text, without their CR LF.
inline std::vector<std::string> csvLines(const std::string& csv) {
    std::vector<std::string> result;
    for (size_t start = 0, end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2)
        result.push_back(csv.substr(start, end - start));
    return result;
}

// The cells of a line without quoted cells.
inline std::vector<std::string> plainCells(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string c; std::getline(in, c, ',');) cells.push_back(c);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
}

}  // namespace kalvor::testing
