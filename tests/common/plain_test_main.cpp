// Entry point of the tests that need no window.
#include <gtest/gtest.h>

#include "ScratchFolder.h"

int main(int argc, char** argv) {
    ScratchFolder scratch;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
