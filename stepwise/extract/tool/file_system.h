// What the tool needs from the file system beyond stdio: a file's size, DOS time stamp and
// cabinet attributes for adding it, putting stored times and attributes back after
// extracting, and making folders. One implementation per platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace cabtool {

struct FileFacts {
    bool exists = false;
    bool isDirectory = false;
    uint64_t size = 0;
    uint16_t date = 0;        // DOS date of the last change, local time
    uint16_t time = 0;        // DOS time
    uint16_t attributes = 0;  // cabinet attribute bits
};

FileFacts Inspect(const std::string& path);

// Sets the modification time from a DOS date and time (local time) and the attributes the
// platform has: read-only everywhere, execute on POSIX, hidden/system/archive on Windows.
// Returns false when the file system refused.
bool ApplyStoredFacts(const std::string& path, uint16_t date, uint16_t time, uint16_t attributes);

// Makes an existing `path` plain so it can be replaced: Windows refuses to replace a
// read-only, hidden or system file, POSIX a file without write permission.
void MakePlain(const std::string& path);

// Moves the finished file `from` to `to`, replacing a plain file there.
bool MoveIntoPlace(const std::string& from, const std::string& to);

// Creates `path` for binary writing only if nothing is there yet, in one step (no other
// program's file can appear in between). Null when something is in the way or creating it
// failed.
std::FILE* CreateNewFile(const std::string& path);

// Creates every missing folder of `path` (not the last component).
bool MakeParentDirectories(const std::string& path);

// A stored name in the form this platform's file names take: on POSIX, UTF-8 (names that are
// not flagged as UTF-8 are taken as Latin-1, as cabextract does); on Windows, the ANSI code
// page (UTF-8 names are converted without best-fit, so no character turns into a look-alike;
// a name the code page cannot hold fails). Returns false when the name cannot be converted.
bool LocalName(const std::string& stored, bool storedAsUtf8, std::string* local);

// The entries of a folder, sorted by name, without "." and "..".
std::vector<std::string> ListDirectory(const std::string& path);

}  // namespace cabtool
