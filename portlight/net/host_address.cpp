#include "net/host_address.h"

namespace portlight {

std::optional<LookupAddress> LookupAddressOf(std::string_view address) {
    if (address.empty() || address == "*" || address == "255.255.255.255" ||
        address.find_first_of(" \t") != std::string_view::npos)
        return std::nullopt;
    LookupAddress result;
    if (address.front() == '[') {
        const size_t close = address.find(']');
        // Only a whole "[address]": a bracketed address with a port after it is not one.
        if (close != address.size() - 1 || close < 2)
            return std::nullopt;
        result.family = AddressFamily::kIPv6;
        result.text = std::string(address.substr(1, close - 1));
        return result;
    }
    // Two or more colons make an IPv6 address; one colon is an IPv4 address with a port,
    // which the IPv4 conversion refuses.
    const size_t first = address.find(':');
    if (first != std::string_view::npos && address.find(':', first + 1) != std::string_view::npos)
        result.family = AddressFamily::kIPv6;
    result.text = std::string(address);
    return result;
}

}  // namespace portlight
