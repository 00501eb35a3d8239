#include "display/version_text.h"

#include <cstdio>

namespace portlight {

std::string StripAtNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string PadLeftZero(std::string_view text, int width) {
    if (width <= 0)
        return {};
    std::string padded(static_cast<size_t>(width), '0');
    padded.append(text);
    return padded.substr(padded.size() - static_cast<size_t>(width));
}

namespace {

std::string HexByte(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%X", value);
    return PadLeftZero(text, 2);
}

uint32_t HexValue(std::string_view digits) {
    uint32_t value = 0;
    for (char c : digits) {
        uint32_t d;
        if (c >= '0' && c <= '9')
            d = static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            d = static_cast<uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            d = static_cast<uint32_t>(c - 'a' + 10);
        else
            return 0;
        value = value * 16 + d;
    }
    return value;
}

}  // namespace

std::string TranslationKey(const uint8_t entry[4]) {
    std::string key = HexByte(entry[1]) + HexByte(entry[0]) + HexByte(entry[3]) + HexByte(entry[2]);
    if (key == "00000000")
        return std::string(kDefaultTranslationKey);
    return key;
}

uint32_t LanguageOfKey(std::string_view key) {
    return key.size() == 8 ? HexValue(key.substr(0, 4)) : 0;
}

uint32_t CodePageOfKey(std::string_view key) {
    return key.size() == 8 ? HexValue(key.substr(4, 4)) : 0;
}

std::string FileFlagsText(uint32_t f) {
    std::string text;
    if (f & 0x1)
        text += "Debug ";
    if (f & 0x4)
        text += "Patched ";
    if (f & 0x2)
        text += "Pre-release ";
    if (f & 0x8)
        text += "Private ";
    if (f & 0x20)
        text += "Special ";
    return text;
}

std::string FileOSText(uint32_t fileOS) {
    std::string text;
    switch (fileOS & 0xFFFF) {
        case 1:
            text = "Win16 API";
            break;
        case 2:
            text = "PM16 API";
            break;
        case 3:
            text = "PM32 API";
            break;
        case 4:
            text = "Win32 API";
            break;
        default:
            text = "Unknown API";
            break;
    }
    switch (fileOS >> 16) {
        case 1:
            text += " on DOS";
            break;
        case 2:
            text += " on OS2/16";
            break;
        case 3:
            text += " on OS2/32";
            break;
        case 4:
            text += " on Windows NT";
            break;
        default:
            break;
    }
    return text;
}

std::string FileTypeText(uint32_t fileType) {
    switch (fileType) {
        case 0:
            return "Unknown";
        case 1:
            return "Application";
        case 2:
            return "DLL";
        case 3:
            return "Driver";
        case 4:
            return "Font";
        case 5:
            return "VXD";
        case 7:
            return "Static-link library";
        default:
            return {};
    }
}

std::string FileSubTypeText(uint32_t fileType, uint32_t fileSubType) {
    static constexpr const char* kDrivers[] = {
        nullptr,   "Printer", "Keyboard",    "Language", "Display",        "Mouse",
        "Network", "System",  "Installable", "Sound",    "Communications", "Input Method"};
    static constexpr const char* kFonts[] = {nullptr, "Raster", "Vector", "TrueType"};
    if (fileType == 3 && fileSubType >= 1 && fileSubType <= 11)
        return kDrivers[fileSubType];
    if (fileType == 4 && fileSubType >= 1 && fileSubType <= 3)
        return kFonts[fileSubType];
    if (fileType == 5)
        return std::to_string(fileSubType);
    return "Unknown";
}

}  // namespace portlight
