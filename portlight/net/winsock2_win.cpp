#include "net/winsock2_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>

namespace portlight {

namespace {

// The version StartSockets asks for: 1.1.
constexpr WORD kWinsockVersion = 0x0101;
// Test delays above this are taken as a mistake and capped.
constexpr long kMaxTestDelayMs = 60000;

int LowByte(WORD value) {
    return value & 0xFF;
}
int HighByte(WORD value) {
    return (value >> 8) & 0xFF;
}

// Owns a getaddrinfo result.
class AddressInfo {
  public:
    ~AddressInfo() {
        if (info_)
            freeaddrinfo(info_);
    }
    addrinfo** out() { return &info_; }
    const addrinfo* get() const { return info_; }

  private:
    addrinfo* info_ = nullptr;
};

}  // namespace

bool StartSockets() {
    WSADATA data = {};
    if (WSAStartup(kWinsockVersion, &data) != 0)
        return false;
    const int major = LowByte(data.wVersion);
    const int minor = HighByte(data.wVersion);
    if (data.iMaxSockets < 1 || major < 1 || (major == 1 && minor < 1)) {
        // The start succeeded, so it must be released even though the library is refused.
        WSACleanup();
        return false;
    }
    return true;
}

void StopSockets() {
    WSACleanup();
}

std::string ResolveAddress(const std::string& address) {
    SocketLibrary sockets;
    if (!sockets.started())
        return {};
    const unsigned long converted = inet_addr(address.c_str());
    if (converted == INADDR_NONE)
        return {};
    const hostent* entry =
        gethostbyaddr(reinterpret_cast<const char*>(&converted), sizeof converted, AF_INET);
    if (!entry || !entry->h_name)
        return {};
    return entry->h_name;
}

std::string ResolveAddress6(const std::string& address) {
    SocketLibrary sockets;
    if (!sockets.started())
        return {};
    addrinfo hints = {};
    hints.ai_family = AF_INET6;
    hints.ai_flags = AI_NUMERICHOST;
    AddressInfo info;
    if (getaddrinfo(address.c_str(), nullptr, &hints, info.out()) != 0 || !info.get())
        return {};
    char host[NI_MAXHOST] = {};
    if (getnameinfo(info.get()->ai_addr, static_cast<socklen_t>(info.get()->ai_addrlen), host,
                    sizeof host, nullptr, 0, NI_NAMEREQD) != 0)
        return {};
    return host;
}

std::string ResolveLookupAddress(const LookupAddress& address) {
    return address.family == AddressFamily::kIPv6 ? ResolveAddress6(address.text)
                                                  : ResolveAddress(address.text);
}

HostLookupWorker::Resolve SystemResolver() {
    long delay = 0;
    if (const char* text = std::getenv("PORTLIGHT_TEST_RESOLVER_DELAY_MS"))
        delay = std::strtol(text, nullptr, 10);
    if (delay <= 0)
        return ResolveLookupAddress;
    if (delay > kMaxTestDelayMs)
        delay = kMaxTestDelayMs;
    return [delay](const LookupAddress& address) {
        Sleep(static_cast<DWORD>(delay));
        return ResolveLookupAddress(address);
    };
}

}  // namespace portlight
