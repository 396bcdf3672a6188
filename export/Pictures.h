#pragma once
// The page's drawings of the archive, as inline SVG: the files that reached each
// deviation and the series of each length against what a fair wheel expects, the
// 37 numbers' counts in the band a fair wheel keeps them in, and the joined walk of
// all files, one row of the picture a block of steps.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "stats/ArchiveLaws.h"
#include "stats/ArchiveSummary.h"
#include "stats/Walk.h"

namespace kalvor {

std::string summarySvg(const std::vector<ArchiveSummary::Line>& lines);
std::string seriesSvg(const std::vector<ArchiveLaws::SeriesLine>& lines);
// The band: a fair wheel keeps every count within [bandLow, bandHigh] with 99 % chance.
std::string numbersSvg(const std::array<uint64_t, 37>& counts, uint64_t bandLow, uint64_t bandHigh);

// left and right: the names of the sides, for the axis.
std::string joinedSvg(const std::vector<WalkTrace::Row>& rows, uint64_t steps, std::string_view left,
                      std::string_view right);

}  // namespace kalvor
