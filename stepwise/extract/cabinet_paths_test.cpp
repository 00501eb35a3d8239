#include "extract/cabinet_paths.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

// The payload comes from file1.cab unless the multi1.cab stage has finished.
TEST(CabinetPaths, StageSelectsCabinet) {
    const std::string setup = "C:\\setup";
    const std::string file1 = "C:\\setup\\file1.cab";
    const std::string temp = "C:\\users\\me\\Temp\\";
    EXPECT_EQ(CabinetPathForStage(ExtractionStage::FirstStage, setup, file1, temp, 0),
              "C:\\setup\\multi1.cab");
    EXPECT_EQ(CabinetPathForStage(ExtractionStage::Payload, setup, file1, temp, 0), file1);
    EXPECT_EQ(CabinetPathForStage(ExtractionStage::Payload, setup, file1, temp, kFirstStageDone),
              "C:\\users\\me\\Temp\\ice1.cab");
    // Only the exact done value selects ice1.cab.
    EXPECT_EQ(CabinetPathForStage(ExtractionStage::Payload, setup, file1, temp, 1), file1);
}

// The decoder gets the folder with its trailing backslash and the bare name.
TEST(CabinetPaths, SplitAtLastBackslash) {
    CabinetLocation full = SplitCabinetPath("C:\\setup\\disk 1\\file1.cab");
    EXPECT_EQ(full.folder, "C:\\setup\\disk 1\\");
    EXPECT_EQ(full.name, "file1.cab");
    CabinetLocation root = SplitCabinetPath("A:\\file1.cab");
    EXPECT_EQ(root.folder, "A:\\");
    EXPECT_EQ(root.name, "file1.cab");
    CabinetLocation bare = SplitCabinetPath("file1.cab");
    EXPECT_EQ(bare.folder, "");
    EXPECT_EQ(bare.name, "file1.cab");
    CabinetLocation trailing = SplitCabinetPath("C:\\setup\\");
    EXPECT_EQ(trailing.folder, "C:\\setup\\");
    EXPECT_EQ(trailing.name, "");
    EXPECT_EQ(NextCabinetPath("C:\\setup", "file2.cab"), "C:\\setup\\file2.cab");
}

}  // namespace
}  // namespace stepwise
