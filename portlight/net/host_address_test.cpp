#include "net/host_address.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// Non-addresses and the broadcast address are never looked up; IPv6 is told from IPv4 by
// its colons or brackets, which are removed.
TEST(LookupAddress, FamiliesAndSkippedTexts) {
    for (const char* skipped : {"", "*", "255.255.255.255", "10.0.0.1 x", "[::1]:80", "[]"}) {
        SCOPED_TRACE(skipped);
        EXPECT_FALSE(LookupAddressOf(skipped));
    }
    auto v4 = LookupAddressOf("127.0.0.1");
    ASSERT_TRUE(v4);
    EXPECT_EQ(v4->family, AddressFamily::kIPv4);
    EXPECT_EQ(v4->text, "127.0.0.1");
    // An address with a port stays IPv4 and is refused by the conversion itself.
    auto withPort = LookupAddressOf("127.0.0.1:80");
    ASSERT_TRUE(withPort);
    EXPECT_EQ(withPort->family, AddressFamily::kIPv4);

    auto loopback6 = LookupAddressOf("[::1]");
    ASSERT_TRUE(loopback6);
    EXPECT_EQ(loopback6->family, AddressFamily::kIPv6);
    EXPECT_EQ(loopback6->text, "::1");
    auto zoned = LookupAddressOf("[fe80::1%7]");
    ASSERT_TRUE(zoned);
    EXPECT_EQ(zoned->text, "fe80::1%7");
    auto bare = LookupAddressOf("2001:db8::5");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->family, AddressFamily::kIPv6);
}

}  // namespace
}  // namespace portlight
