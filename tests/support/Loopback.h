#pragma once

#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
// winsock2.h first: ws2tcpip.h builds on it.
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace testing_support {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
inline void closeSocket(Socket socket)
{
    ::closesocket(socket);
}
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
inline void closeSocket(Socket socket)
{
    ::close(socket);
}
#endif

// A listening socket on a free loopback port. It accepts nobody by itself, so whether anybody
// tried to connect can be asked afterwards; once it is gone, its port is one nobody listens on.
class LoopbackListener
{
public:
    LoopbackListener()
    {
#ifdef _WIN32
        WSADATA data;
        m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
#endif
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket == kNoSocket || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(m_socket, 4) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        m_port = ntohs(address.sin_port);
    }
    ~LoopbackListener()
    {
        if (m_socket != kNoSocket) {
            closeSocket(m_socket);
        }
#ifdef _WIN32
        if (m_started) {
            WSACleanup();
        }
#endif
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // 0 when no listener could be made.
    int port() const
    {
        return m_port;
    }

    // True when a connection attempt is waiting, or arrives within the given time.
    bool wasContacted(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) const
    {
        const Socket client = accept(wait);
        if (client == kNoSocket) {
            return false;
        }
        closeSocket(client);
        return true;
    }

    // The next connection, waiting at most the given time; kNoSocket when none came.
    Socket accept(std::chrono::milliseconds wait) const
    {
        if (m_socket == kNoSocket) {
            return kNoSocket;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval timeout { static_cast<long>(wait.count() / 1000), static_cast<long>(wait.count() % 1000 * 1000) };
        if (::select(static_cast<int>(m_socket) + 1, &readable, nullptr, nullptr, &timeout) <= 0) {
            return kNoSocket;
        }
        return ::accept(m_socket, nullptr, nullptr);
    }

private:
    Socket m_socket = kNoSocket;
    int m_port = 0;
#ifdef _WIN32
    bool m_started = false;
#endif
};

// A loopback port nobody listens on: bound, then released.
inline int closedLoopbackPort()
{
    return LoopbackListener().port();
}

} // namespace testing_support
