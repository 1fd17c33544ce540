// Test entry point. Death tests re-execute the binary ("threadsafe"), since
// the runtime may have threads running when a precondition is checked.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
