// The platform layer's colours, counters and operating-system errors.
#include "GLCrossPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

using namespace engine3d;

TEST(CrossPlatform, SystemColoursCountersAndOSErrors) {
    EXPECT_EQ(ResolveSystemColor(0x123456), 0x123456);
    TColor window = ResolveSystemColor(clSystemColor | 5);
    EXPECT_GE(window, 0);
    EXPECT_EQ(GetRValue(0x123456), 0x56);
    EXPECT_EQ(GetGValue(0x123456), 0x34);
    EXPECT_EQ(GetBValue(0x123456), 0x12);
    InitSystemColors();
    for (const TVector& c : SystemColorVectors) {
        EXPECT_EQ(c[3], 1.0f);
        EXPECT_LE(c[0], 1.0f);
    }
    int64_t frequency = 0, a = 0, b = 0;
    EXPECT_TRUE(QueryPerformanceFrequencyValue(frequency));
    EXPECT_GT(frequency, 0);
    QueryPerformanceCounterValue(a);
    QueryPerformanceCounterValue(b);
    EXPECT_GE(b, a);
    errno = ENOENT;
    EXPECT_THAT([] { RaiseLastOSError(); },
                ::testing::ThrowsMessage<EOSError>(::testing::StartsWith("OS Error : ")));
}
