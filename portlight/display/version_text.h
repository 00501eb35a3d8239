// Text helpers of the version reader: the translation key and the decoded fixed-information
// words. Portable so that they are tested without version resources.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace portlight {

// Used when a file declares language 0 and code page 0.
inline constexpr std::string_view kDefaultTranslationKey = "040904E4";

// The part before the first NUL; the whole text when there is none.
std::string StripAtNul(std::string_view text);
// The last `width` characters of `width` zeros followed by `text`.
std::string PadLeftZero(std::string_view text, int width);

// Key from the first translation entry's bytes b0 b1 b2 b3 (language word, then code-page
// word, each little-endian): 4 upper-case hex digits of the language, then of the code page.
// "00000000" becomes the default key.
std::string TranslationKey(const uint8_t entry[4]);
// Language and code page of an 8-character key; 0 for any other length or non-hex text.
uint32_t LanguageOfKey(std::string_view key);
uint32_t CodePageOfKey(std::string_view key);

std::string FileFlagsText(uint32_t flagsAndMask);
std::string FileOSText(uint32_t fileOS);
std::string FileTypeText(uint32_t fileType);
std::string FileSubTypeText(uint32_t fileType, uint32_t fileSubType);

}  // namespace portlight
