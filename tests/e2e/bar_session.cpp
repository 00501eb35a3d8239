#include "bar_session.h"

#include <gtest/gtest.h>

#include <sstream>

#include "resource.h"

namespace e2e {

std::string NetstatListing(const std::vector<std::string>& lines) {
    std::string text =
        "\r\nActive Connections\r\n\r\n  Proto  Local Address          Foreign Address        "
        "State           PID\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

BarSession::BarSession(const std::string& name) : folder_(name) {
    CopyFileOrFail(BinFolder() + "portlight.exe", folder_ / "portlight.exe");
    CopyFileOrFail(BinFolder() + "netstat.exe", folder_ / "netstat.exe");
    SetListing(
        NetstatListing({"  TCP    0.0.0.0:135            0.0.0.0:0              "
                        "LISTENING       884"}));
}

BarSession::~BarSession() {
    process_.Kill();
}

void BarSession::WriteSettings(const std::string& lines) {
    WriteTextFile(folder_ / "settings.db", "[Main]\r\n" + lines);
}

void BarSession::SetListing(const std::string& listing) {
    WriteTextFile(folder_ / "fake-netstat.txt", listing);
}

void BarSession::SetNetstatSleep(unsigned milliseconds) {
    WriteTextFile(folder_ / "fake-netstat-sleep.txt", std::to_string(milliseconds));
}

void BarSession::Start() {
    process_ = Process::Start(folder_ / "portlight.exe", "", folder_.path());
    bar_ = WaitTopWindow(process_.id(), PORTLIGHT_BAR_CLASS, "", std::chrono::seconds(20));
    ASSERT_NE(bar_, nullptr) << "the bar window did not appear";
}

HWND BarSession::FindParentOf(int id) const {
    for (HWND child : ChildWindows(bar_))
        if (GetDlgCtrlID(child) == id)
            return GetParent(child);
    return bar_;
}

void BarSession::RunCommand(int command) {
    PostMessageA(bar_, WM_COMMAND, MAKEWPARAM(IDM_SETTINGS_BASE + command, 0), 0);
}

void BarSession::Click(int controlId) {
    PostMessageA(bar_, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(controlId)));
}

std::vector<NetstatCall> BarSession::Calls() const {
    std::vector<NetstatCall> calls;
    std::istringstream log(ReadTextFile(folder_ / "fake-netstat.log"));
    std::string line;
    while (std::getline(log, line)) {
        NetstatCall call;
        size_t space = line.find(' ');
        call.tick = std::stoul(line.substr(0, space));
        call.arguments = space == std::string::npos ? "" : line.substr(space + 1);
        calls.push_back(call);
    }
    return calls;
}

bool BarSession::WaitForCalls(size_t count, unsigned milliseconds) const {
    return WaitFor([&] { return Calls().size() >= count; },
                   std::chrono::milliseconds(milliseconds));
}

std::string BarSession::Settings() const {
    return ReadTextFile(folder_ / "settings.db");
}

}  // namespace e2e
