// DOS date and time stamps (as cabinets store them) to Windows file-time ticks.
#pragma once

#include <cstdint>
#include <optional>

namespace stepwise {

// 100-nanosecond ticks since 1601-01-01, the FILETIME scale, in the same (local) time zone
// as the stamp. nullopt for a stamp DosDateTimeToFileTime refuses: month outside 1-12, a day
// the month does not have, hour above 23, minute above 59 or seconds above 59. The caller
// then leaves the file's times alone.
std::optional<std::uint64_t> DosStampToFileTicks(std::uint16_t dosDate, std::uint16_t dosTime);

// Combines a 64-bit tick count from a FILETIME's halves and back.
constexpr std::uint64_t JoinTicks(std::uint32_t low, std::uint32_t high) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace stepwise
