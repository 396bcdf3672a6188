#pragma once
// A test with a directory of its own under the system's temporary directory,
// removed with everything in it when the test ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace kalvor::testing {

class ScratchDirTest : public ::testing::Test {
protected:
    ScratchDirTest() {
        std::random_device seed;
        dir = std::filesystem::temp_directory_path() / ("kalvor-test-" + std::to_string(seed()));
        std::filesystem::create_directories(dir);
    }
    ~ScratchDirTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    static std::string readAll(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir;
};

}  // namespace kalvor::testing
