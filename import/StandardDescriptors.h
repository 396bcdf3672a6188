#pragma once
// Standard input, output and error that were closed when the program started get
// /dev/null. Otherwise the first file the program opens would take their number,
// and what it writes to standard output would go into that file.

namespace kalvor {

// Call first thing in main, before any file or thread is opened. Returns which of
// them were closed: bit fd set for descriptor fd. What was to go to a closed
// standard output is lost, which the caller reports as a failure.
unsigned openClosedStandardDescriptors();

inline constexpr unsigned kStandardOutputClosed = 1u << 1;

}  // namespace kalvor
