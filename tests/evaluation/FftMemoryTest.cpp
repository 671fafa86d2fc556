#include "evaluation/FftMemory.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

constexpr const char* kMeminfo = "MemTotal:       16000000 kB\n"
                                 "MemFree:          500000 kB\n"
                                 "MemAvailable:    4000000 kB\n"
                                 "SwapTotal:       2000000 kB\n"
                                 "SwapFree:        1000000 kB\n";

TEST(FftMemory, StatusComesFromAvailableMemorySwapAndTheAddressSpaceLimit) {
    const auto status = ParseMemoryStatus(kMeminfo, "", std::nullopt);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->physical, 4000000ull * 1024);
    EXPECT_EQ(status->total, 5000000ull * 1024);
    // A limit of 3 GB with 1 GB of it in use leaves 2 GB for both.
    const auto limited = ParseMemoryStatus(kMeminfo, "Name:\tx\nVmSize:\t 1048576 kB\n", 3ull << 30);
    ASSERT_TRUE(limited);
    EXPECT_EQ(limited->total, 2ull << 30);
    EXPECT_EQ(limited->physical, 2ull << 30);
    EXPECT_FALSE(ParseMemoryStatus("MemTotal: 100 kB\n", "", std::nullopt));
    EXPECT_FALSE(ParseMemoryStatus("MemAvailable: lots kB\n", "", std::nullopt));
    EXPECT_TRUE(CurrentMemoryStatus()); // this machine has a /proc/meminfo
}

TEST(FftMemory, VerdictComparesTwentyFourBytesPerElement) {
    // 4096^2 x 24 bytes = 384 MiB.
    const std::uint64_t needed = 4096ull * 4096 * 24;
    EXPECT_EQ(JudgeFftMemory(4096, {needed, needed}), FftMemoryVerdict::Enough);
    EXPECT_EQ(JudgeFftMemory(4096, {needed - 1, needed}), FftMemoryVerdict::Slow);
    EXPECT_EQ(JudgeFftMemory(4096, {needed - 1, needed - 1}), FftMemoryVerdict::Impossible);
    EXPECT_EQ(JudgeFftMemory(8192, {needed, needed}), FftMemoryVerdict::Impossible);
    EXPECT_EQ(JudgeFftMemory(2048, {needed / 4, needed}), FftMemoryVerdict::Enough);
}

} // namespace
} // namespace vitrimo
