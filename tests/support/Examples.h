#pragma once

#include <filesystem>

// The repository's example permanences. KALVOR_SOURCE_DIR comes from the test's target.
inline const std::filesystem::path kExamples = KALVOR_SOURCE_DIR "/examples";
