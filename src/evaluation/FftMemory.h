// Whether the machine has the memory an FFT size needs, for the FFT size dialog's warnings.
//
// A calculation of FFT size M needs M^2 x 24 bytes (FftMemoryBytes). It is impossible when that exceeds
// the memory the system can still hand out (free physical memory and free swap, and no more than the
// process's address-space limit allows), and slow when it exceeds the free physical memory alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vitrimo {

struct MemoryStatus {
    std::uint64_t physical = 0; // bytes the system can give without swapping ("MemAvailable")
    std::uint64_t total = 0;    // bytes it can give at all: physical plus free swap, within the limit
};

// The memory status from the texts of /proc/meminfo and /proc/self/status and the address-space limit in
// bytes (nullopt: unlimited). Nullopt when /proc/meminfo has no "MemAvailable" line.
std::optional<MemoryStatus> ParseMemoryStatus(std::string_view meminfo, std::string_view processStatus,
                                              std::optional<std::uint64_t> addressSpaceLimit);
// The same for this machine and process now.
std::optional<MemoryStatus> CurrentMemoryStatus();

enum class FftMemoryVerdict {
    Enough,
    Slow,       // "Not enough physical memory. It takes much time for calculation."
    Impossible, // "Not enough total memory. Impossible to calculate."
};

FftMemoryVerdict JudgeFftMemory(int fftSize, const MemoryStatus& status);

} // namespace vitrimo
