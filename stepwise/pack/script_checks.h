// The checks a setup script passes before an installer is written from it: every FILES
// entry's source file exists, the counted lists hold exactly TOTAL entries, and every
// "<...>" folder token is one the installer knows. Each problem names its key and line.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "pack/ini_text.h"

namespace stepwise {

struct ScriptProblem {
    std::string section;
    std::string key;
    int line = 0;  // 0 when the key is absent and its section is absent too
    std::string message;
};

// "data.tag:12: [FILES] PR3: the source file "x.exe" is not in the source folder"
std::string FormatProblem(const std::string& scriptName, const ScriptProblem& problem);

// `sourceExists` answers whether a FILES "PR" name is a file in the source folder.
std::vector<ScriptProblem> CheckScript(const IniText& script,
                                       const std::function<bool(const std::string&)>& sourceExists);

}  // namespace stepwise
