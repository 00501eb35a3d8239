#include "capture/module_path.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// A readable module path stands; the image name fills in only for a process that opened
// with the read rights (a 64-bit process); one that refused them keeps an empty path.
TEST(MainModulePath, ImageNameOnlyForProcessesThatOpened) {
    int asked = 0;
    auto imageName = [&] {
        ++asked;
        return std::string("C:\\Windows\\System32\\svchost.exe");
    };
    EXPECT_EQ(MainModulePath({true, "C:\\Apps\\app.exe"}, imageName), "C:\\Apps\\app.exe");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(MainModulePath({true, ""}, imageName), "C:\\Windows\\System32\\svchost.exe");
    EXPECT_EQ(MainModulePath({false, ""}, imageName), "")
        << "a process that refuses the read rights stays System or Protected";
}

}  // namespace
}  // namespace portlight
