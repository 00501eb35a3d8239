#include "wizard/restart_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stepwise {
namespace {

class FakeShutdown : public ShutdownCalls {
  public:
    bool EnableShutdownPrivilege() override {
        calls.push_back("privilege");
        return privilegeGranted;
    }
    bool RequestExit(unsigned flags) override {
        calls.push_back("exit");
        exitFlags = flags;
        return exitAccepted;
    }
    bool privilegeGranted = true;
    bool exitAccepted = true;
    unsigned exitFlags = 0;
    std::vector<std::string> calls;
};

// Yes asks for a normal restart after enabling the privilege, never a forced one.
TEST(RestartRequest, NormalRestartAfterPrivilege) {
    FakeShutdown calls;
    EXPECT_EQ(RequestRestart(calls), "");
    EXPECT_EQ(calls.calls, (std::vector<std::string>{"privilege", "exit"}));
    EXPECT_TRUE(calls.exitFlags & kExitReboot);
    EXPECT_FALSE(calls.exitFlags & kExitForce);
    EXPECT_FALSE(calls.exitFlags & kExitForceIfHung);
}

// A refused privilege or a refused restart is said, not swallowed.
TEST(RestartRequest, RefusalIsReported) {
    FakeShutdown noPrivilege;
    noPrivilege.privilegeGranted = false;
    EXPECT_NE(RequestRestart(noPrivilege).find("could not be restarted"), std::string::npos);
    EXPECT_EQ(noPrivilege.calls, std::vector<std::string>{"privilege"});

    FakeShutdown refused;
    refused.exitAccepted = false;
    EXPECT_NE(RequestRestart(refused).find("refused"), std::string::npos);
}

}  // namespace
}  // namespace stepwise
