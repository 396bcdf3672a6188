#pragma once
// The tendency chart in words, for those who cannot see it: where the series stands,
// how far it went to either side, and what the legend's colours are.

#include <string>
#include <string_view>

#include "core/SeriesState.h"
#include "core/TendencyChart.h"

namespace kalvor {

// The German name of the nearest of a few plain colours ("schwarz", "blau", ...).
std::string_view colourName(Colour colour);

// One short paragraph: the throw and the position ("Wurf 20: 3 Schwarz vor."), the
// greatest deviations to either side, the touches of the zero line, the pass and the
// colour of its points. Before the first throw it says so.
std::string describeChart(const SeriesState& state);

// The legend above the chart with its colours named:
// "Legende: Würfe 1-200 schwarz, 201-400 blau, 401-xxx grün."
std::string describeLegend();

// The accessible name of a legend swatch of the layout (Label32, Label33, Label34),
// its colour named: "Farbe 1-200: schwarz"; empty for any other control.
std::string legendSwatchName(std::string_view control);

}  // namespace kalvor
