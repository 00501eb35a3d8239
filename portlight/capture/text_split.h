// The two text-splitting helpers every netstat reader uses: split at the first occurrence
// of a delimiter, compared without regard to letter case, results trimmed of spaces.
#pragma once

#include <string>
#include <string_view>

namespace portlight {

// The part before the first occurrence of `delimiter`, trimmed; empty text when the
// delimiter does not occur.
std::string TextBefore(std::string_view text, std::string_view delimiter);

// The part after the first occurrence of `delimiter`, trimmed. When the delimiter does
// not occur, the text from the 1-based position equal to the delimiter's length (so for a
// one-character delimiter the whole text), trimmed.
std::string TextAfter(std::string_view text, std::string_view delimiter);

// Leading and trailing spaces removed (spaces only, as the netstat readers expect).
std::string TrimSpaces(std::string_view text);

// Position of the first case-insensitive occurrence of `needle`, or npos.
size_t FindNoCase(std::string_view haystack, std::string_view needle);

}  // namespace portlight
