#pragma once
// The throw engine: one click on Start/Weiter advances the series.

#include <string_view>

#include "core/Controls.h"
#include "core/Random.h"
#include "core/SeriesState.h"
#include "core/ThrowKind.h"

namespace kalvor {

inline constexpr std::string_view kComputerPrompt = " Der Computer erzeugt die Zahlen...";
inline constexpr std::string_view kEndLine = "                    ***  ENDE  *** ";
// A counter or the tendency position would leave its range.
inline constexpr std::string_view kLimitLine = " Grenzwert erreicht: die Serie endet hier.";
// The imported list has no number for the next throw.
inline constexpr std::string_view kListEndLine = " Die Permanenz hat keine weiteren Zahlen.";

// What one click on `okstart` does: prepares the window, then throws until the
// series is complete or the selected mode pauses it. The observer, when given, is
// told of each throw made.
void runThrows(SeriesState& state, Controls& controls, RandomPort& random, ThrowObserver* observer = nullptr);

}  // namespace kalvor
