// Memory figures parsed from /proc/meminfo text.
#include <gtest/gtest.h>

#include "platform/MemoryStatus.h"

TEST(MemoryStatus, ParsesAvailableAndLoad) {
    const MemoryStatus status = parseMemInfo("MemTotal:       16000000 kB\n"
                                             "MemFree:         1000000 kB\n"
                                             "MemAvailable:    4000000 kB\n"
                                             "Buffers:          200000 kB\n"
                                             "Cached:          2000000 kB\n"
                                             "HugePages_Total:       0\n");
    ASSERT_TRUE(status.valid);
    EXPECT_EQ(status.totalPhysical, 16000000ull * 1024);
    EXPECT_EQ(status.availablePhysical, 4000000ull * 1024);
    EXPECT_EQ(status.memoryLoad, 75);
}

TEST(MemoryStatus, OldKernelsAddFreeBuffersAndCached) {
    const MemoryStatus status =
        parseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 200 kB\n");
    ASSERT_TRUE(status.valid);
    EXPECT_EQ(status.availablePhysical, 350u * 1024);
    EXPECT_EQ(status.memoryLoad, 65);
}

TEST(MemoryStatus, HostileOrMissingFigures) {
    EXPECT_FALSE(parseMemInfo("").valid);
    EXPECT_FALSE(parseMemInfo("MemAvailable: 100 kB\n").valid);
    EXPECT_FALSE(parseMemInfo("MemTotal: 0 kB\nMemAvailable: 0 kB\n").valid);
    EXPECT_FALSE(parseMemInfo("MemTotal: lots kB\nMemAvailable: 1 kB\n").valid);
    EXPECT_FALSE(parseMemInfo("MemTotal: 100 kB\n").valid); // nothing to say what is free
    // Available above total is clamped; absurd numbers saturate instead of wrapping.
    const MemoryStatus above = parseMemInfo("MemTotal: 100 kB\nMemAvailable: 500 kB\n");
    ASSERT_TRUE(above.valid);
    EXPECT_EQ(above.availablePhysical, above.totalPhysical);
    EXPECT_EQ(above.memoryLoad, 0);
    const MemoryStatus huge =
        parseMemInfo("MemTotal: 99999999999999999999 kB\nMemAvailable: 18446744073709551615 kB\n"
                     "MemTotal: 18446744073709551615 kB\n");
    ASSERT_TRUE(huge.valid);
    EXPECT_EQ(huge.memoryLoad, 0);
    // No trailing newline, carriage returns, a line without a colon.
    const MemoryStatus loose = parseMemInfo("garbage\r\nMemTotal:\t200 kB\r\nMemAvailable: 50 kB");
    ASSERT_TRUE(loose.valid);
    EXPECT_EQ(loose.memoryLoad, 75);
}

TEST(MemoryStatus, ReadsTheRunningSystem) {
    const MemoryStatus status = currentMemoryStatus();
    ASSERT_TRUE(status.valid);
    EXPECT_GT(status.totalPhysical, 0u);
    EXPECT_LE(status.availablePhysical, status.totalPhysical);
    EXPECT_GE(status.memoryLoad, 0);
    EXPECT_LE(status.memoryLoad, 100);
}
