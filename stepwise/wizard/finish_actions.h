// The complete page's check boxes and what Finish does: which files it opens, in which order,
// or whether it asks to restart Windows.
#pragma once

#include <string>
#include <vector>

#include "script/profile_source.h"

namespace stepwise {

struct CompleteChoices {
    bool showReadme = false;  // "Read the readme.txt file", shown ticked
    bool showRun = false;     // "Run the program", shown ticked
};

// DIALOG "COMPLETE1" non-zero offers no check boxes; otherwise "COMPLETE3" = 1 and
// "COMPLETE4" = 1 offer the readme and run boxes, ticked.
CompleteChoices CompleteChoicesFrom(const ProfileSource& script);

struct FinishPlan {
    bool askRestart = false;         // DIALOG "COMPLETE2" is zero: RestartDialog instead
    std::vector<std::string> opens;  // paths to open through the shell, in order
};

// The readme is InstallFolder\readme.txt, the program InstallFolder\ + the file-name part of
// APPINFO "2". Opened in order: the readme if its box is on, the program if its box is on,
// the readme if "COMPLETE5" is 1, the program if "COMPLETE6" is 1.
FinishPlan PlanFinish(const ProfileSource& script,
                      const std::string& installFolder,
                      bool readmeChecked,
                      bool runChecked);

// The file-name part of a path (after the last backslash or slash).
std::string FileNamePart(const std::string& path);

}  // namespace stepwise
