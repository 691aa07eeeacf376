#include "platform/ProcessExit.h"

#include <cstdio>
#include <gtest/gtest.h>

TEST(TerminateProcess, EndsAtOnceWithTheGivenCodeAndFlushedOutput) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::fputs("before exit", stderr);
            terminateProcess(0);
        },
        ::testing::ExitedWithCode(0), "before exit");
    EXPECT_EXIT(terminateProcess(3), ::testing::ExitedWithCode(3), "");
}
