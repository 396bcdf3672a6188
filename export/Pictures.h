#pragma once
// The page's two drawings of the archive, as inline SVG: the files that reached
// each deviation against the files a fair wheel expects, and the joined walk of
// all files, one row of the picture a block of steps.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "stats/ArchiveSummary.h"
#include "stats/Walk.h"

namespace kalvor {

std::string summarySvg(const std::vector<ArchiveSummary::Line>& lines);

// left and right: the names of the sides, for the axis.
std::string joinedSvg(const std::vector<WalkTrace::Row>& rows, uint64_t steps, std::string_view left,
                      std::string_view right);

}  // namespace kalvor
