#include "install/copy_rules.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

// The version comparison: only the leading number counts; a destination without version is
// never replaced; a source without version counts as 0.
TEST(SourceIsNewer, ComparisonTable) {
    using V = std::optional<std::string>;
    EXPECT_TRUE(SourceIsNewer(V("5.0.0"), V("4.0.1")));
    EXPECT_FALSE(SourceIsNewer(V("4.9.9"), V("4.0.1")));
    EXPECT_FALSE(SourceIsNewer(V("4.0.1"), V("4.0.1")));
    EXPECT_FALSE(SourceIsNewer(V("9.0"), std::nullopt));
    EXPECT_FALSE(SourceIsNewer(std::nullopt, V("0.1")));
    EXPECT_TRUE(SourceIsNewer(std::nullopt, V("")) == false);
    EXPECT_TRUE(SourceIsNewer(V("1"), V("")));  // a version string without number counts as 0
    EXPECT_EQ(LeadingVersionNumber("5.1.2600"), 5);
    EXPECT_EQ(LeadingVersionNumber("12, 0, 3"), 12);
    EXPECT_EQ(LeadingVersionNumber("v2"), 0);
    EXPECT_GT(LeadingVersionNumber("99999999999999999999"), 0);  // no overflow
}

// Kinds other than Shared DLLs copy, replacing only with "Always Overwrite"; key "4" "Yes"
// registers; kind 0 does nothing.
TEST(DecideCopy, OrdinaryKinds) {
    CopyDecision d = DecideCopy(DestinationKind::ProgramFiles, "C:\\a.exe", true, "", "Yes");
    EXPECT_TRUE(d.copy);
    EXPECT_FALSE(d.replace);
    EXPECT_TRUE(d.registerFile);
    d = DecideCopy(DestinationKind::InstallDir, "C:\\a.exe", true, "Always Overwrite", "yes");
    EXPECT_TRUE(d.replace);
    EXPECT_FALSE(d.registerFile);  // values are case-sensitive
    d = DecideCopy(DestinationKind::None, "C:\\a.exe", false, "Always Overwrite", "Yes");
    EXPECT_FALSE(d.copy);
    EXPECT_FALSE(d.registerFile);
}

// Shared DLLs: controls are always replaced and registered; an existing DLL is compared by
// version only under "Always Overwrite", and stays otherwise; a new one is copied.
TEST(DecideCopy, SharedDlls) {
    CopyDecision d = DecideCopy(DestinationKind::SharedDlls, "C:\\SYS\\Grid.OCX", true, "", "");
    EXPECT_TRUE(d.copy && d.replace && d.registerAfterCopy);
    d = DecideCopy(DestinationKind::SharedDlls, "C:\\SYS\\a.dll", true, "Always Overwrite", "");
    EXPECT_TRUE(d.copy && d.replace && d.needsVersions);
    d = DecideCopy(DestinationKind::SharedDlls, "C:\\SYS\\a.dll", true, "Overwrite", "");
    EXPECT_FALSE(d.copy);
    d = DecideCopy(DestinationKind::SharedDlls, "C:\\SYS\\a.dll", false, "", "Yes");
    EXPECT_TRUE(d.copy);
    EXPECT_FALSE(d.needsVersions);
    EXPECT_TRUE(d.registerFile);
}

}  // namespace
}  // namespace stepwise
