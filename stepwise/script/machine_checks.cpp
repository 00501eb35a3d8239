#include "script/machine_checks.h"

#include <climits>
#include <cstdio>

namespace stepwise {

std::string OsClassFor(bool versionRead, unsigned platformId, unsigned major, unsigned minor) {
    if (!versionRead)
        return "ERRO";
    if (platformId == kPlatformNt) {
        if (major == 4)
            return "NT";
        // NT 6 and later are the same family as 2000/XP; an empty class would make every
        // "Windows 2000/XP" script refuse a current Windows.
        if (major >= 5)
            return "2000";
        return "";
    }
    if (platformId == kPlatformWindows9x && major == 4)
        return minor < 10 ? "95" : "98";
    return "";
}

namespace {

bool Is9x(const std::string& c) {
    return c == "95" || c == "98";
}

CheckResult Require(bool passed, const char* message) {
    if (passed)
        return {};
    return {false, message};
}

}  // namespace

CheckResult CheckPlatform(const std::string& r, const std::string& c) {
    if (r.empty() || r == "All Plataforms" || r == "Todas as plataformas" || r == "All Platforms")
        return {};
    if (r == "Windows NT")
        return Require(c == "NT", "This program only works with Windows NT");
    if (r == "Windows 95/98")
        return Require(Is9x(c), "This program only works with Windows 95/98");
    if (r == "Windows 95/98/NT")
        return Require(Is9x(c) || c == "NT", "This program only works with Windows 95/98/NT");
    if (r == "Windows 2000" || r == "Windows XP")
        return Require(c == "2000", "This program only works with Windows 2000");
    if (r == "Windows 95/98/NT/2000/XP")
        return Require(Is9x(c) || c == "NT" || c == "2000",
                       "This program only works with Windows 95/98/NT");
    return {false, "This program only works with WindowsOS."};
}

long long DecimalValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (LLONG_MAX - digit) / 10)
            return negative ? LLONG_MIN : LLONG_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::optional<ScreenRequirement> ParseScreenRequirement(const std::string& value) {
    if (value.empty() || value == "Disabled")
        return std::nullopt;
    std::size_t widthDigits = 0, heightDigits = 0;
    switch (value.size()) {
        case 7:
            widthDigits = 3;
            heightDigits = 3;
            break;
        case 8:
            widthDigits = 4;
            heightDigits = 3;
            break;
        case 9:
            widthDigits = 4;
            heightDigits = 4;
            break;
        default:
            return ScreenRequirement{};
    }
    return ScreenRequirement{DecimalValue(value.substr(0, widthDigits)),
                             DecimalValue(value.substr(value.size() - heightDigits))};
}

bool ScreenTooSmall(const ScreenRequirement& required,
                    long long screenWidth,
                    long long screenHeight) {
    return screenWidth < required.width || screenHeight < required.height;
}

std::optional<int> RequiredColourBits(const std::string& name) {
    if (name == "16 Color (4-Bit)")
        return 4;
    if (name == "256 Colors (8-Bit)")
        return 8;
    if (name == "64K High-Color (16-Bit)")
        return 16;
    if (name == "16M TrueColor (24-Bit)")
        return 24;
    return std::nullopt;
}

bool MemoryBelowRequirement(std::uint64_t totalPhysicalBytes, const std::string& requiredKb) {
    if (requiredKb == "0")
        return false;
    char formatted[64];
    std::snprintf(formatted, sizeof formatted, "%7.0f",
                  static_cast<double>(totalPhysicalBytes) / 1024.0);
    return DecimalValue(formatted) < DecimalValue(requiredKb);
}

}  // namespace stepwise
