#include "wizard/confirm_dialogs_win.h"

#include <gtest/gtest.h>

#include "common/win32/handles_win.h"

namespace stepwise {
namespace {

bool ShutdownPrivilegeEnabled() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    win32::KernelHandle token(raw);
    LUID shutdown = {};
    LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown);
    char buffer[4096] = {};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenPrivileges, buffer, sizeof buffer, &size))
        return false;
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart)
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}

// The restart's first step really enables the shutdown privilege in the process token (the
// restart itself is never asked for here).
TEST(WindowsShutdown, EnablesShutdownPrivilege) {
    WindowsShutdown shutdown;
    ASSERT_TRUE(shutdown.EnableShutdownPrivilege());
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
}

}  // namespace
}  // namespace stepwise
