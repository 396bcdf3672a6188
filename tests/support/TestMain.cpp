// The core tests take the C library's locale from the environment, as the program
// does through QApplication: under a German locale they show whether the core's
// conversions depend on it.

#include <gtest/gtest.h>

#include "tests/support/TestLocale.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!kalvor::testing::takeLocaleFromArguments(argc, argv)) return 1;
    return RUN_ALL_TESTS();
}
