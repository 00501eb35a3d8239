// Which address texts of the connection table are worth a reverse lookup, and in which
// address family.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace portlight {

enum class AddressFamily { kIPv4, kIPv6 };

struct LookupAddress {
    AddressFamily family = AddressFamily::kIPv4;
    std::string text;  // as the resolver takes it: dotted IPv4, or IPv6 without brackets
};

// "*", empty text, text with spaces and the broadcast address 255.255.255.255 are never
// looked up. A bracketed or bare IPv6 address ("[::1]", "fe80::1%7") is IPv6 with its
// brackets removed; anything else goes to the IPv4 conversion as it is (which refuses
// "127.0.0.1:80" and other non-addresses, giving empty text).
std::optional<LookupAddress> LookupAddressOf(std::string_view address);

}  // namespace portlight
