// Winsock2: reverse lookups through Windows Sockets. Each lookup starts the socket library,
// asks the system's resolver and releases the library again, so no socket state outlives a
// call. Every failure gives empty text.
#pragma once

#include <string>

#include "net/host_lookup.h"

namespace portlight {

// WSAStartup asking for version 1.1; false when it fails, offers no socket or a version
// below 1.1 (the library is released again in those cases).
bool StartSockets();
// WSACleanup.
void StopSockets();

// Owns one start of the socket library for a scope.
class SocketLibrary {
  public:
    SocketLibrary() : started_(StartSockets()) {}
    ~SocketLibrary() {
        if (started_)
            StopSockets();
    }
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;
    bool started() const { return started_; }

  private:
    bool started_;
};

// Reverse lookup of a dotted IPv4 address: the official name of gethostbyaddr's entry.
// Text that inet_addr refuses ("127.0.0.1:80", "*") and the broadcast address
// 255.255.255.255 (which converts to the same INADDR_NONE) give empty text without a lookup.
std::string ResolveAddress(const std::string& address);
// Reverse lookup of an IPv6 address without brackets ("::1", "fe80::1%7"), through
// getnameinfo with a name required.
std::string ResolveAddress6(const std::string& address);
// The family decides the call.
std::string ResolveLookupAddress(const LookupAddress& address);

// The resolver the bar's lookup worker uses. A test-only seam: when the environment variable
// PORTLIGHT_TEST_RESOLVER_DELAY_MS holds a positive number at start-up, every lookup first
// waits that many milliseconds, as a resolver that times out would; end-to-end tests use it
// to show that slow lookups never hold up the bar.
HostLookupWorker::Resolve SystemResolver();

}  // namespace portlight
