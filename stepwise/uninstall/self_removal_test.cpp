#include "uninstall/self_removal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace stepwise {
namespace {

using ::testing::HasSubstr;

TEST(SelfRemoval, ScriptRetriesTheProgramThenDeletesItself) {
    auto script =
        SelfRemovalScript("C:\\WINDOWS\\system32\\wizuninst.exe", "C:\\Temp\\wizuninst-12-34.bat");
    ASSERT_TRUE(script);
    EXPECT_THAT(*script, HasSubstr(":retry\r\ndel /f /q \"C:\\WINDOWS\\system32\\wizuninst.exe\""));
    EXPECT_THAT(*script,
                HasSubstr("if not exist \"C:\\WINDOWS\\system32\\wizuninst.exe\" goto done"));
    EXPECT_THAT(*script,
                HasSubstr("if %tries% lss " + std::to_string(kSelfDeleteTries) + " goto retry"));
    // The batch's own deletion is its last line.
    const std::string last = "del /f /q \"C:\\Temp\\wizuninst-12-34.bat\" >nul 2>&1\r\n";
    ASSERT_GE(script->size(), last.size());
    EXPECT_EQ(script->substr(script->size() - last.size()), last);
}

TEST(SelfRemoval, NoScriptForPathsTheInterpreterWouldRewrite) {
    EXPECT_FALSE(SelfRemovalScript("C:\\100%\\wizuninst.exe", "C:\\Temp\\a.bat"));
    EXPECT_FALSE(SelfRemovalScript("C:\\a\"b\\wizuninst.exe", "C:\\Temp\\a.bat"));
    EXPECT_FALSE(SelfRemovalScript("C:\\WINDOWS\\wizuninst.exe", "C:\\Temp\\a\r\nb.bat"));
    EXPECT_FALSE(SelfRemovalScript("", "C:\\Temp\\a.bat"));
    EXPECT_TRUE(SelfRemovalScript("C:\\Program Files (x86)\\A&B\\wizuninst.exe", "C:\\T\\a.bat"));
}

TEST(SelfRemoval, OnlyTheInstalledCopyRemovesItself) {
    std::vector<std::string> system = {"C:\\WINDOWS\\system32", "c:\\windows\\syswow64\\"};
    EXPECT_TRUE(IsInstalledCopy("c:\\windows\\system32\\wizuninst.exe", system));
    EXPECT_TRUE(IsInstalledCopy("C:\\Windows\\SysWOW64\\WIZUNINST.EXE", system));
    EXPECT_FALSE(IsInstalledCopy("c:\\windows\\system32\\sub\\wizuninst.exe", system));
    EXPECT_FALSE(IsInstalledCopy("d:\\setup\\wizuninst.exe", system));
    EXPECT_FALSE(IsInstalledCopy("wizuninst.exe", system));
}

TEST(SelfRemoval, ACopyOtherProductsStillUseStays) {
    const std::string self = "C:\\WINDOWS\\system32\\wizuninst.exe";
    EXPECT_FALSE(SharedWithOtherProducts(self, {}));
    EXPECT_FALSE(SharedWithOtherProducts(
        self, {"MsiExec.exe /X{1234}", "\"C:\\Program Files\\Other\\uninst.exe\" /S", "   "}));
    EXPECT_TRUE(SharedWithOtherProducts(
        self, {"c:\\windows\\system32\\WIZUNINST.exe \"C:\\Program Files\\Beta\\install.log\""}));
    EXPECT_TRUE(SharedWithOtherProducts(self, {"\"C:\\WINDOWS\\system32\\wizuninst.exe\" x"}));
    EXPECT_FALSE(SharedWithOtherProducts(self, {"c:\\windows\\wizuninst.exe \"x\""}));
}

}  // namespace
}  // namespace stepwise
