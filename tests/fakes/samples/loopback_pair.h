// A listening TCP socket on 127.0.0.1 and a connection to it, for tests that look for real
// endpoints in the system's tables and in the bar. Header-only test support; link ws2_32.
#pragma once

#include <winsock2.h>

#include <cstdint>

namespace samples {

// Ports chosen by the system.
class LoopbackPair {
  public:
    LoopbackPair() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof at;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
            listen(listener_, 1) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length) != 0)
            return;
        listenPort = ntohs(at.sin_port);
        client_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (connect(client_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0)
            return;
        accepted_ = accept(listener_, nullptr, nullptr);
        sockaddr_in mine = {};
        length = sizeof mine;
        getsockname(client_, reinterpret_cast<sockaddr*>(&mine), &length);
        clientPort = ntohs(mine.sin_port);
    }
    ~LoopbackPair() {
        for (SOCKET s : {accepted_, client_, listener_})
            if (s != INVALID_SOCKET)
                closesocket(s);
        if (started_)
            WSACleanup();
    }
    bool ready() const { return accepted_ != INVALID_SOCKET && clientPort != 0; }

    uint16_t listenPort = 0;
    uint16_t clientPort = 0;

  private:
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET client_ = INVALID_SOCKET;
    SOCKET accepted_ = INVALID_SOCKET;
};

}  // namespace samples
