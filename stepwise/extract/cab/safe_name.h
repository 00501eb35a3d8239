// Checks that a name stored in a cabinet stays inside the extraction folder, and joins it to
// that folder. A cabinet is untrusted input: its names must not be able to write anywhere
// else (absolute paths, drive letters, "..", alternate data streams) or open a device.
#pragma once

#include <string>

namespace cab {

// Returns an empty string when `name` is safe, else a sentence saying why it is not.
// Refused: empty names or components, a leading separator, ':' anywhere (drive letters and
// alternate data streams), components made only of dots and spaces ("..", "...", ". ",
// which Windows folds to ".."), control characters, DOS device names (CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$) with or without an extension, and, when the name
// is flagged UTF-8, malformed or overlong UTF-8.
std::string CheckStoredName(const std::string& name, bool isUtf8);

// The check for the next cabinet's name a header gives: a single file name beside the
// cabinet that names it (no folder part), safe by CheckStoredName. Returns "" when safe.
std::string CheckCabinetFileName(const std::string& name);

// True for well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates,
// nothing beyond U+10FFFF.
bool IsWellFormedUtf8(const std::string& s);

// folder + separator + name, with both '/' and '\' in the name turned into `separator`.
// No separator is added after an empty folder or one that already ends in one. The name must
// have passed CheckStoredName.
std::string JoinDestination(const std::string& folder, const std::string& name, char separator);

}  // namespace cab
