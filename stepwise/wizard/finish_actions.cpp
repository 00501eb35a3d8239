#include "wizard/finish_actions.h"

#include "script/machine_checks.h"

namespace stepwise {

namespace {

long long DialogValue(const ProfileSource& script, const char* key) {
    return DecimalValue(script.Read("DIALOG", key, kFlagBuffer));
}

}  // namespace

CompleteChoices CompleteChoicesFrom(const ProfileSource& script) {
    CompleteChoices choices;
    if (DialogValue(script, "COMPLETE1") != 0)
        return choices;
    choices.showReadme = DialogValue(script, "COMPLETE3") == 1;
    choices.showRun = DialogValue(script, "COMPLETE4") == 1;
    return choices;
}

std::string FileNamePart(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

FinishPlan PlanFinish(const ProfileSource& script,
                      const std::string& installFolder,
                      bool readmeChecked,
                      bool runChecked) {
    FinishPlan plan;
    if (DialogValue(script, "COMPLETE2") == 0) {
        plan.askRestart = true;
        return plan;
    }
    std::string readme = installFolder + "\\readme.txt";
    std::string programName = FileNamePart(script.Read("APPINFO", "2", kValueBuffer));
    // Without a program name the path would be the folder itself; there is nothing to run.
    bool haveProgram = !programName.empty();
    std::string program = installFolder + "\\" + programName;
    if (readmeChecked)
        plan.opens.push_back(readme);
    if (runChecked && haveProgram)
        plan.opens.push_back(program);
    if (DialogValue(script, "COMPLETE5") == 1)
        plan.opens.push_back(readme);
    if (DialogValue(script, "COMPLETE6") == 1 && haveProgram)
        plan.opens.push_back(program);
    return plan;
}

}  // namespace stepwise
