#pragma once
// The throw engine: one click on Start/Weiter advances the series.

#include <string_view>

#include "core/Controls.h"
#include "core/Random.h"
#include "core/SeriesState.h"

namespace kalvor {

inline constexpr std::string_view kComputerPrompt = " Der Computer erzeugt die Zahlen...";
inline constexpr std::string_view kEndLine = "                    ***  ENDE  *** ";
inline constexpr std::string_view kLimitLine = " Zählergrenze von 32767 erreicht: die Serie endet hier.";

// One activation of the button `okstart`: prepares the window, then throws until
// the series is complete or the selected mode pauses it.
void okstart_Click(SeriesState& state, Controls& controls, RandomPort& random);

}  // namespace kalvor
