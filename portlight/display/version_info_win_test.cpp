#include "display/version_info_win.h"

#include <gtest/gtest.h>

#include "capture/connection_table.h"
#include "capture/process_system_win.h"
#include "sample_process.h"

namespace portlight {
namespace {

using samples::BesideThisProgram;
using samples::SampleProcess;

// Every property of a file with an English version resource.
TEST(VersionInfo, ReadsFullResource) {
    VersionInfo info;
    info.SetFileName(BesideThisProgram("portlight-sample-app.exe"));
    EXPECT_TRUE(info.Failures().empty());
    EXPECT_EQ(info.TranslationKey(), "040904E4");
    EXPECT_EQ(info.Language(), 1033u);
    EXPECT_EQ(info.CodePage(), 1252u);
    EXPECT_EQ(info.FileDescription(), "Sample Courier");
    EXPECT_EQ(info.CompanyName(), "Kestro Test Labs");
    EXPECT_EQ(info.FileVersion(), "2.5.0.17");
    EXPECT_EQ(info.InternalName(), "courier");
    EXPECT_EQ(info.LegalCopyright(), "Copyright (C) Kestro Test Labs");
    EXPECT_EQ(info.OriginalFileName(), "portlight-sample-app.exe");
    EXPECT_EQ(info.ProductName(), "Sample Courier Suite");
    EXPECT_EQ(info.ProductVersion(), "2.5");
    EXPECT_EQ(info.Comments(), "first part") << "cut at the embedded NUL";
    EXPECT_EQ(info.LegalTrademarks(), "");
    EXPECT_EQ(info.SpecialBuild(), "");
    EXPECT_EQ(info.FileOSRaw(), 0x40004u);
    EXPECT_EQ(info.FileOS(), "Win32 API on Windows NT");
    EXPECT_EQ(info.FileType(), "Application");
    EXPECT_EQ(info.FileSubType(), "Unknown");
    EXPECT_EQ(info.FileFlags(), "");
}

// Language 0 / code page 0 reads the strings under the English key; flags are decoded.
TEST(VersionInfo, NeutralTranslationAndFlags) {
    VersionInfo info;
    info.SetFileName(BesideThisProgram("portlight-sample-neutral.exe"));
    EXPECT_EQ(info.TranslationKey(), "040904E4");
    EXPECT_EQ(info.FileDescription(), "Neutral Sample");
    EXPECT_EQ(info.FileFlagsRaw(), 0x3u);
    EXPECT_EQ(info.FileFlags(), "Debug Pre-release ");
}

// A file without a resource, a missing file and modules of this process.
TEST(VersionInfo, FailuresAndModules) {
    VersionInfo info;
    info.SetFileName(BesideThisProgram("portlight-sample-plain.exe"));
    ASSERT_EQ(info.Failures().size(), 3u);
    EXPECT_EQ(info.Failures()[0].description, "Unable to retrieve version information.");
    EXPECT_EQ(info.Failures()[0].source, "VersionInfo");
    EXPECT_EQ(info.Failures()[1].description,
              "Unable to retrieve language and code page information.");
    EXPECT_EQ(info.Failures()[2].description, "Unable to retrieve fixed file version information.");
    EXPECT_EQ(info.FileDescription(), "");
    EXPECT_EQ(info.FileOS(), "Unknown API");
    EXPECT_EQ(info.FileType(), "Unknown");
    EXPECT_EQ(info.Language(), 0u);

    // Reloading clears what the previous file left behind.
    info.SetFileName(BesideThisProgram("portlight-sample-app.exe"));
    EXPECT_TRUE(info.Failures().empty());
    info.SetFileName("C:\\no\\such\\file.exe");
    EXPECT_EQ(info.FileDescription(), "");
    EXPECT_EQ(info.FileOSRaw(), 0u);

    info.SetModuleName("kernel32.dll");
    EXPECT_NE(info.FileName().find("kernel32"), std::string::npos) << info.FileName();
    info.SetModuleName("no-such-module.dll");
    ASSERT_FALSE(info.Failures().empty());
    EXPECT_EQ(info.Failures()[0].number, VersionInfo::Error::kModuleHandle);
}

// The whole pipeline against real processes: lookups, descriptions and slot keys.
TEST(GroupIntoSlots, RealProcessesAndVersionResources) {
    SampleProcess app(BesideThisProgram("portlight-sample-app.exe"));
    SampleProcess app2(BesideThisProgram("portlight-sample-app.exe"));
    SampleProcess plain(BesideThisProgram("portlight-sample-plain.exe"));
    ASSERT_TRUE(app.started() && app2.started() && plain.started());
    std::string listing;
    for (DWORD pid : {app.pid(), plain.pid(), app2.pid(), app.pid()})
        listing += "  TCP    127.0.0.1:5000   127.0.0.1:6000   ESTABLISHED   " +
                   std::to_string(pid) + "\r\n";
    listing += "  UDP    [::]:500   *:*   " + std::to_string(app.pid()) + "\r\n";

    Win32ProcessSystem system;
    SnapshotProcessLookup lookup(system);
    ConnectionTable table;
    BuildConnectionTable(listing, lookup, table);
    ASSERT_EQ(table.ConnectionCount, 5);
    EXPECT_EQ(table.rows[0][kColCategory], "Normal");

    VersionFileDescriptions descriptions;
    std::vector<IconSlot> slots(4);
    EXPECT_EQ(GroupIntoSlots(table, {false, UnknownFilter::kHideAll}, descriptions, slots), 2);
    EXPECT_EQ(slots[0].hoverText, "Sample Courier");
    EXPECT_EQ(slots[0].rowList, "000002003004");
    EXPECT_EQ(slots[1].hoverText, table.rows[1][kColPath]) << "no description: the path";

    EXPECT_EQ(GroupIntoSlots(table, {true, UnknownFilter::kHideAll}, descriptions, slots), 3);
    EXPECT_EQ(slots[0].hoverText, "Sample Courier - PID=" + std::to_string(app.pid()));
    EXPECT_EQ(slots[2].hoverText, "Sample Courier - PID=" + std::to_string(app2.pid()));
}

}  // namespace
}  // namespace portlight
