#include "cab/cabinet_layout.h"

#include <gtest/gtest.h>

#include "cab/cab_format.h"

namespace cab {
namespace {

std::vector<LayoutCabinet> Lay(const std::vector<LayoutFolder>& folders,
                               const std::vector<LayoutFile>& files,
                               uint32_t maxSize) {
    std::vector<LayoutCabinet> out;
    CabError e = LayOutCabinets(
        folders, files, maxSize, [](size_t) { return 100u; }, &out);
    EXPECT_TRUE(e.ok()) << e.message;
    return out;
}

// A cut inside a file splits the block there and marks the file in both cabinets.
TEST(CabinetLayout, SplitsTheBlockAtTheCutAndMarksSpanningFiles) {
    // One folder of three 1000-byte blocks; file 0 in block 0, file 1 in blocks 1-2.
    std::vector<LayoutFolder> folders = {{{1000, 1000, 1000}}};
    std::vector<LayoutFile> files = {{0, 0, 0, 30}, {0, 1, 2, 30}};
    // 100 header + 8 folder + 30 + 8 + 1000 + 30 + 8 = 1184 before block 1's bytes.
    std::vector<LayoutCabinet> cabs = Lay(folders, files, 1684);
    ASSERT_EQ(cabs.size(), 2u);
    const LayoutCabinetFolder& first = cabs[0].folders[0];
    ASSERT_EQ(first.pieces.size(), 2u);
    EXPECT_TRUE(first.pieces[1].splitToNext);
    EXPECT_EQ(first.pieces[1].size, 500u);
    EXPECT_EQ(first.marks, (std::vector<uint16_t>{0, kFolderContinuedToNext}));
    EXPECT_TRUE(cabs[0].hasNext);
    const LayoutCabinetFolder& second = cabs[1].folders[0];
    EXPECT_EQ(second.pieces[0].offset, 500u);
    EXPECT_EQ(second.pieces[0].size, 500u);
    EXPECT_EQ(second.files, (std::vector<int>{1}));
    EXPECT_EQ(second.marks, (std::vector<uint16_t>{kFolderContinuedFromPrev}));
    EXPECT_FALSE(cabs[1].hasNext);
}

// A cut that would fall between two files on a block boundary moves one byte back into the
// block, so the folder's parts stay joined by a continued file.
TEST(CabinetLayout, MovesACleanCutIntoTheLastBlock) {
    std::vector<LayoutFolder> folders = {{{1000, 1000}}};
    std::vector<LayoutFile> files = {{0, 0, 0, 30}, {0, 1, 1, 30}};
    // Block 0 fits exactly (1146 bytes); block 1 would need 38 bytes of headers first.
    std::vector<LayoutCabinet> cabs = Lay(folders, files, 1150);
    ASSERT_GE(cabs.size(), 2u);
    ASSERT_EQ(cabs[0].folders[0].pieces.size(), 1u);
    EXPECT_EQ(cabs[0].folders[0].pieces[0].size, 999u);
    EXPECT_TRUE(cabs[0].folders[0].pieces[0].splitToNext);
    EXPECT_EQ(cabs[0].folders[0].marks, (std::vector<uint16_t>{kFolderContinuedToNext}));
    EXPECT_EQ(cabs[1].folders[0].files, (std::vector<int>{0, 1}));
    EXPECT_EQ(cabs[1].folders[0].marks[0], kFolderContinuedFromPrev);
}

// Without a limit everything goes into one cabinet; impossible limits are errors.
TEST(CabinetLayout, HandlesNoLimitAndImpossibleLimits) {
    std::vector<LayoutFolder> folders = {{{1000}}, {{}}, {{5, 7}}};
    std::vector<LayoutFile> files = {{0, 0, 0, 20}, {1, 0, 0, 20}, {2, 0, 1, 20}};
    std::vector<LayoutCabinet> cabs = Lay(folders, files, 0);
    ASSERT_EQ(cabs.size(), 1u);
    EXPECT_EQ(cabs[0].folders.size(), 3u);
    EXPECT_TRUE(cabs[0].folders[1].pieces.empty());

    std::vector<LayoutCabinet> out;
    EXPECT_FALSE(LayOutCabinets(
                     folders, files, 120, [](size_t) { return 100u; }, &out)
                     .ok());
    // A block's second part must fit one cabinet whole.
    std::vector<LayoutFolder> big = {{{5000}}};
    std::vector<LayoutFile> one = {{0, 0, 0, 20}};
    EXPECT_FALSE(LayOutCabinets(
                     big, one, 2000, [](size_t) { return 100u; }, &out)
                     .ok());
}

}  // namespace
}  // namespace cab
