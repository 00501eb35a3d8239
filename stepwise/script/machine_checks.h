// The installer's machine checks as plain functions of the values Windows reports:
// the platform class, the platform requirement, screen size, colour depth and memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace stepwise {

// dwPlatformId values of OSVERSIONINFO.
constexpr unsigned kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr unsigned kPlatformNt = 2;         // VER_PLATFORM_WIN32_NT

// "NT" for NT 4, "2000" for NT 5 and later (Vista to 11 are the family the "Windows 2000" and
// "Windows XP" requirements mean), "95"/"98" for the 9x line (minor 0 is 95, 10 and later 98
// and ME), "" for anything else, "ERRO" when the version could not be read.
std::string OsClassFor(bool versionRead, unsigned platformId, unsigned major, unsigned minor);

struct CheckResult {
    bool passed = true;
    std::string message;  // shown when the check did not pass
};

// SYSTEM "7" against the OsClass; a failure ends the program.
CheckResult CheckPlatform(const std::string& required, const std::string& osClass);

// Decimal conversion as atoi does it: leading blanks, an optional sign, digits up to the first
// other character; 0 when there are none. Saturates instead of overflowing.
long long DecimalValue(const std::string& text);

struct ScreenRequirement {
    long long width = 0;
    long long height = 0;
};

// SYSTEM "6": nullopt when "Disabled" or empty (no check). The value is split by its length:
// 7 characters give 3 + 3 digits ("800x600"), 8 give 4 + 3, 9 give 4 + 4; other lengths 0 x 0.
std::optional<ScreenRequirement> ParseScreenRequirement(const std::string& value);
bool ScreenTooSmall(const ScreenRequirement& required,
                    long long screenWidth,
                    long long screenHeight);

// SYSTEM "5": the bits per pixel a colour-depth name requires; nullopt for any other value.
std::optional<int> RequiredColourBits(const std::string& name);

// SYSTEM "1": whether the machine's memory is below the requirement in kilobytes. The total is
// formatted "%7.0f" in kilobytes and converted back before the comparison; "0" skips the check.
bool MemoryBelowRequirement(std::uint64_t totalPhysicalBytes, const std::string& requiredKb);

}  // namespace stepwise
