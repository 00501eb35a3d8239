#include "appbar/appbar_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace appbar {
namespace {

uint32_t U32At(const RecordBytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint32_t U16At(const RecordBytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}

AppBarRecord Unusual() {
    AppBarRecord r = DefaultRecord({1280, 800});
    r.Edge = EdgeTop;
    r.AllowedEdges = AllowTop;
    r.AutoHide = true;
    r.AlwaysOnTop = false;
    r.SlideEffect = true;
    r.SlideTime = 750;
    r.HorzSizeStep = 0;
    r.VertSizeStep = 7;
    r.DockedWidth = 123;
    r.DockedHeight = 61;
    r.SetFloatRect({-20, -1, 300, 0x7FFFFFFF});
    r.FloatMinWidth = 11;
    r.FloatMinHeight = 12;
    r.DockedMinWidth = 13;
    r.DockedMinHeight = 70;
    r.DockedMaxHeight = 800;
    r.TaskbarButton = TaskbarNever;
    return r;
}

// A new object's options, with limits taken from the screen.
TEST(AppBarRecord, DefaultsFollowTheScreen) {
    const AppBarRecord r = DefaultRecord({1281, 801});
    EXPECT_EQ(r.RecordSize, 90);
    EXPECT_EQ(r.Edge, EdgeFloat);
    EXPECT_EQ(r.AllowedEdges, 31);
    EXPECT_FALSE(r.AutoHide);
    EXPECT_TRUE(r.AlwaysOnTop);
    EXPECT_TRUE(r.SlideEffect);
    EXPECT_EQ(r.SlideTime, 400);
    EXPECT_EQ(r.HorzSizeStep, 1);
    EXPECT_EQ(r.VertSizeStep, 1);
    EXPECT_EQ(r.DockedWidth, 80);
    EXPECT_EQ(r.DockedHeight, 80);
    EXPECT_EQ(r.FloatRect(), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(r.FloatMaxWidth, 1281);
    EXPECT_EQ(r.FloatMaxHeight, 801);
    EXPECT_EQ(r.DockedMaxWidth, 640);  // integer halves
    EXPECT_EQ(r.DockedMaxHeight, 400);
    EXPECT_EQ(r.TaskbarButton, TaskbarWhenFloating);
}

// The stored layout: offsets, little-endian words, flags as -1, zero padding.
TEST(AppBarRecord, EncodesTheStoredLayout) {
    const RecordBytes b = EncodeRecord(Unusual());
    EXPECT_EQ(U32At(b, 0), 90u);
    EXPECT_EQ(U32At(b, 4), 1u);
    EXPECT_EQ(U32At(b, 8), 4u);
    EXPECT_EQ(U16At(b, 12), 0xFFFFu);  // AutoHide
    EXPECT_EQ(U16At(b, 14), 0u);       // AlwaysOnTop
    EXPECT_EQ(U16At(b, 16), 0xFFFFu);  // SlideEffect
    EXPECT_EQ(U16At(b, 18), 0u);
    EXPECT_EQ(U32At(b, 20), 750u);
    EXPECT_EQ(U32At(b, 24), 0u);
    EXPECT_EQ(U32At(b, 28), 7u);
    EXPECT_EQ(U32At(b, 32), 123u);
    EXPECT_EQ(U32At(b, 36), 61u);
    EXPECT_EQ(U32At(b, 40), static_cast<uint32_t>(-20));
    EXPECT_EQ(U32At(b, 44), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(b, 48), 300u);
    EXPECT_EQ(U32At(b, 52), 0x7FFFFFFFu);
    EXPECT_EQ(U32At(b, 56), 11u);
    EXPECT_EQ(U32At(b, 60), 12u);
    EXPECT_EQ(U32At(b, 64), 1280u);
    EXPECT_EQ(U32At(b, 68), 800u);
    EXPECT_EQ(U32At(b, 72), 13u);
    EXPECT_EQ(U32At(b, 76), 70u);
    EXPECT_EQ(U32At(b, 80), 640u);
    EXPECT_EQ(U32At(b, 84), 800u);
    EXPECT_EQ(U16At(b, 88), 1u);
}

// What is written reads back unchanged; any other length is refused.
TEST(AppBarRecord, RoundTripsAndRejectsOtherSizes) {
    const AppBarRecord original = Unusual();
    const RecordBytes b = EncodeRecord(original);
    const auto back = DecodeRecord(b);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, original);

    std::vector<uint8_t> shorter(b.begin(), b.end() - 1);
    EXPECT_FALSE(DecodeRecord(shorter).has_value());
    std::vector<uint8_t> longer(b.begin(), b.end());
    longer.push_back(0);
    EXPECT_FALSE(DecodeRecord(longer).has_value());
    EXPECT_FALSE(DecodeRecord({}).has_value());
}

// Reading takes any non-zero flag as true, skips the padding and keeps only the stored
// low word of TaskbarButton.
TEST(AppBarRecord, DecodesLooseValues) {
    AppBarRecord r = Unusual();
    r.TaskbarButton = 0x12340002;
    RecordBytes b = EncodeRecord(r);
    EXPECT_EQ(U16At(b, 88), 2u);
    b[12] = 1;  // AutoHide = 1, not -1
    b[13] = 0;
    b[18] = 0xAB;  // padding
    b[19] = 0xCD;
    const auto back = DecodeRecord(b);
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(back->AutoHide);
    EXPECT_EQ(back->SlideTime, 750);
    EXPECT_EQ(back->TaskbarButton, 2);

    b[88] = 0xFF;
    b[89] = 0xFF;
    EXPECT_EQ(DecodeRecord(b)->TaskbarButton, 0xFFFF);  // high bits cleared, not sign-extended
}

}  // namespace
}  // namespace appbar
