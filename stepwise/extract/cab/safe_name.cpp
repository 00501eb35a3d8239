#include "cab/safe_name.h"

#include <cctype>
#include <cstdint>
#include <string_view>

namespace cab {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Windows opens the device for "NUL", "nul.txt", "NUL .txt" and "NUL." alike: the part before
// the first dot, with trailing spaces dropped, is what counts.
bool IsDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    static constexpr std::string_view kDevices[] = {"CON",    "PRN",     "AUX",   "NUL",
                                                    "CONIN$", "CONOUT$", "CLOCK$"};
    for (std::string_view device : kDevices) {
        if (EqualsNoCase(base, device))
            return true;
    }
    if (base.size() < 4 ||
        !(EqualsNoCase(base.substr(0, 3), "COM") || EqualsNoCase(base.substr(0, 3), "LPT")))
        return false;
    // COM1..COM9, and the superscript digits 1, 2, 3 Windows also takes as ports, in the
    // Western code page or in UTF-8.
    const std::string_view digit = base.substr(3);
    auto isSuperscript = [](char c) { return c == '\xB9' || c == '\xB2' || c == '\xB3'; };
    if (digit.size() == 1)
        return (digit[0] >= '1' && digit[0] <= '9') || isSuperscript(digit[0]);
    return digit.size() == 2 && digit[0] == '\xC2' && isSuperscript(digit[1]);
}

bool IsOnlyDotsAndSpaces(std::string_view component) {
    return component.find_first_not_of(". ") == std::string_view::npos;
}

}  // namespace

bool IsWellFormedUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t c = static_cast<uint8_t>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;  // continuation byte, overlong lead (C0, C1) or beyond U+10FFFF
        }
        if (i + extra >= s.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const uint8_t t = static_cast<uint8_t>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        static constexpr uint32_t kMinForLength[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinForLength[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string CheckStoredName(const std::string& name, bool isUtf8) {
    const std::string quoted = "stored name \"" + name + "\"";
    if (name.empty())
        return "empty stored name";
    if (IsSeparator(name[0]))
        return quoted + " is an absolute path";
    if (name.find(':') != std::string::npos)
        return quoted + " holds ':' (drive letter or alternate data stream)";
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return quoted + " holds a control character";
    }
    if (isUtf8 && !IsWellFormedUtf8(name))
        return quoted + " is flagged UTF-8 but is not well-formed UTF-8";
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        const std::string_view component(name.data() + start, end - start);
        if (component.empty())
            return quoted + " has an empty path component";
        if (IsOnlyDotsAndSpaces(component))
            return quoted + " has a \"..\"-like component that would leave the folder";
        if (IsDeviceName(component))
            return quoted + " names a device (" + std::string(component) + ")";
        if (end == name.size())
            break;
        start = end + 1;
    }
    return {};
}

std::string CheckCabinetFileName(const std::string& name) {
    for (char c : name) {
        if (IsSeparator(c))
            return "cabinet name \"" + name + "\" is not a single file name";
    }
    return CheckStoredName(name, false);
}

std::string JoinDestination(const std::string& folder, const std::string& name, char separator) {
    std::string path = folder;
    if (!path.empty() && !IsSeparator(path.back()))
        path += separator;
    for (char c : name)
        path += IsSeparator(c) ? separator : c;
    return path;
}

}  // namespace cab
