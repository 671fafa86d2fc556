#include "evaluation/FftMemory.h"

#include "evaluation/PointSpread.h"
#include "model/FileIo.h"
#include "model/NumberFormat.h"

#include <string>
#include <sys/resource.h>

namespace vitrimo {
namespace {

// The value of a "Key:   1234 kB" line, in bytes.
std::optional<std::uint64_t> KilobyteField(std::string_view text, std::string_view key) {
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::string_view::npos) {
        if ((at == 0 || text[at - 1] == '\n') && at + key.size() < text.size() &&
            text[at + key.size()] == ':')
            break;
        at += key.size();
    }
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(at + key.size() + 1);
    rest = rest.substr(0, rest.find('\n'));
    const std::size_t unit = rest.find("kB");
    const auto value = ParseInteger(rest.substr(0, unit));
    if (!value || *value < 0) return std::nullopt;
    return static_cast<std::uint64_t>(*value) * 1024;
}

} // namespace

std::optional<MemoryStatus> ParseMemoryStatus(std::string_view meminfo, std::string_view processStatus,
                                              std::optional<std::uint64_t> addressSpaceLimit) {
    const auto available = KilobyteField(meminfo, "MemAvailable");
    if (!available) return std::nullopt;
    MemoryStatus status;
    status.physical = *available;
    status.total = *available + KilobyteField(meminfo, "SwapFree").value_or(0);
    if (addressSpaceLimit) {
        const std::uint64_t used = KilobyteField(processStatus, "VmSize").value_or(0);
        const std::uint64_t left = *addressSpaceLimit > used ? *addressSpaceLimit - used : 0;
        if (left < status.total) status.total = left;
        if (left < status.physical) status.physical = left;
    }
    return status;
}

std::optional<MemoryStatus> CurrentMemoryStatus() {
    std::string meminfo, processStatus;
    if (ReadWholeFile("/proc/meminfo", meminfo)) return std::nullopt;
    ReadWholeFile("/proc/self/status", processStatus);
    std::optional<std::uint64_t> limit;
    rlimit addressSpace{};
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY)
        limit = static_cast<std::uint64_t>(addressSpace.rlim_cur);
    return ParseMemoryStatus(meminfo, processStatus, limit);
}

FftMemoryVerdict JudgeFftMemory(int fftSize, const MemoryStatus& status) {
    const double needed = FftMemoryBytes(fftSize);
    if (static_cast<double>(status.total) < needed) return FftMemoryVerdict::Impossible;
    if (static_cast<double>(status.physical) < needed) return FftMemoryVerdict::Slow;
    return FftMemoryVerdict::Enough;
}

} // namespace vitrimo
