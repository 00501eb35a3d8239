// Stands in for the companion program StepwiseMM.exe in advanced mode: records its command
// line in StepwiseMM.log beside itself, stays a while so the caller's wait shows, then
// appends "done".
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string log = self;
    log = log.substr(0, log.find_last_of('\\') + 1) + "StepwiseMM.log";
    {
        std::ofstream out(log, std::ios::binary | std::ios::trunc);
        out << GetCommandLineA() << "\n";
    }
    Sleep(1500);
    std::ofstream(log, std::ios::binary | std::ios::app) << "done\n";
    return 0;
}
