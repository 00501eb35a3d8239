#include "capture/text_split.h"

#include <algorithm>
#include <cctype>

namespace portlight {

std::string TrimSpaces(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

size_t FindNoCase(std::string_view haystack, std::string_view needle) {
    auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                          [&](char a, char b) { return lower(a) == lower(b); });
    if (it == haystack.end())
        return needle.empty() ? 0 : std::string_view::npos;
    return static_cast<size_t>(it - haystack.begin());
}

std::string TextBefore(std::string_view text, std::string_view delimiter) {
    size_t at = FindNoCase(text, delimiter);
    if (at == std::string_view::npos)
        return {};
    return TrimSpaces(text.substr(0, at));
}

std::string TextAfter(std::string_view text, std::string_view delimiter) {
    size_t at = FindNoCase(text, delimiter);
    if (at == std::string_view::npos) {
        // Falls back to the text from the character at 1-based position len(delimiter).
        size_t from = delimiter.empty() ? 0 : delimiter.size() - 1;
        return from >= text.size() ? std::string() : TrimSpaces(text.substr(from));
    }
    return TrimSpaces(text.substr(at + delimiter.size()));
}

}  // namespace portlight
