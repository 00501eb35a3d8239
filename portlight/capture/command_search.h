// Where a command line's program is looked for. CreateProcess's own search includes the
// current directory, so a netstat.exe left in whatever folder the bar was started from would
// run every few seconds; the bar searches itself and leaves that folder out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portlight {

// The program part of a command line: the first token, or the quoted text when it starts
// with a quote.
std::string ProgramToken(std::string_view commandLine);

// True when `program` names a file by path (a folder or drive in it), so no search applies.
bool HasFolder(std::string_view program);

// The folders a bare program name is looked for in, in order: the program's own folder, the
// system folder, the Windows folder, then each absolute folder of the PATH text. Relative
// PATH entries (".", empty ones, "bin") are dropped: they would bring the current directory
// back. Duplicates after the first are dropped too (letter case ignored).
std::vector<std::string> CommandSearchFolders(const std::string& programFolder,
                                              const std::string& systemFolder,
                                              const std::string& windowsFolder,
                                              std::string_view pathVariable);

// The file name to look for: the program with ".exe" added when it has no extension.
std::string ExecutableFileName(std::string_view program);

}  // namespace portlight
