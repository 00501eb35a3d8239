#include "net/winsock2_win.h"

#include <winsock2.h>

#include <gtest/gtest.h>

namespace portlight {
namespace {

// The loopback address resolves to the resolver's name for it; an address with a port, the
// broadcast address and non-addresses give empty text.
TEST(ResolveAddress, LoopbackAndRefusedTexts) {
    EXPECT_EQ(ResolveAddress("127.0.0.1"), "localhost");
    EXPECT_EQ(ResolveAddress("127.0.0.1:80"), "");
    EXPECT_EQ(ResolveAddress("255.255.255.255"), "");
    EXPECT_EQ(ResolveAddress("*"), "");
    EXPECT_EQ(ResolveAddress(""), "");
    EXPECT_EQ(ResolveLookupAddress({AddressFamily::kIPv4, "127.0.0.1"}), "localhost");
}

// The address family decides the call: IPv6 text goes through the IPv6 lookup, which refuses
// IPv4 text and non-addresses with empty text. (The loopback names of IPv6 depend on the
// host's resolver, which may have none, so only the refusals are fixed here.)
TEST(ResolveAddress, IPv6TakesItsOwnCall) {
    EXPECT_EQ(ResolveAddress6("not-an-address"), "");
    EXPECT_EQ(ResolveAddress6("127.0.0.1"), "");
    EXPECT_EQ(ResolveAddress6("[::1]"), "") << "brackets are removed before the call";
    EXPECT_EQ(ResolveLookupAddress({AddressFamily::kIPv6, "127.0.0.1"}), "");
    EXPECT_EQ(ResolveAddress6("::1"), ResolveLookupAddress({AddressFamily::kIPv6, "::1"}));
}

// Every start is released: after a lookup the library is no longer started for this
// process, so a socket call fails with "not initialised".
TEST(StartSockets, EveryStartIsReleased) {
    ASSERT_TRUE(StartSockets());
    StopSockets();
    ResolveAddress("127.0.0.1");
    ResolveAddress("127.0.0.1:80");
    ResolveAddress6("::1");
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace
}  // namespace portlight
