#pragma once
// Texts of the prompt box that more than one part of the window writes.

#include <string>

namespace kalvor {

// The four-line instruction of the prompt box, written at load, after a reset and
// when the import panel is cancelled. Lines are separated by a lone carriage return.
std::string standardPrompt();

}  // namespace kalvor
