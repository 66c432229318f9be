#pragma once

// A minimal client of the instrument's command language with plain system
// calls: what reading a reply costs without the program, for benchmarks to
// hold the program's figures against in the same run.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

namespace nesmo::bench {

[[noreturn]] inline void rawFail(const char* what)
{
    std::fprintf(stderr, "minimal client: %s\n", what);
    std::exit(1);
}

// Reads one reply from fd up to its prompt, skipping the nine binary bytes after
// each record marker and '>' inside quotes, as the instrument's replies are built.
inline qint64 readReply(int fd)
{
    qint64 bytes = 0;
    bool quoted = false;
    int binaryLeft = 0;
    char buf[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) rawFail("no prompt");
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) rawFail("link closed");
        bytes += n;
        for (ssize_t i = 0; i < n; ++i) {
            const auto c = static_cast<unsigned char>(buf[i]);
            if (binaryLeft > 0) {
                --binaryLeft;
            } else if (c == 0xDF && !quoted) {
                binaryLeft = 9;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == '>' && !quoted) {
                if (i != n - 1) rawFail("bytes after the prompt");
                return bytes;
            }
        }
    }
}

inline void writeAll(int fd, const QByteArray& bytes)
{
    if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()) rawFail("write");
}

// The dump over a TCP connection of its own; returns the bytes received.
inline qint64 rawTcpDump(quint16 port, const QByteArray& command, double& ms)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QElapsedTimer t;
    t.start();
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) rawFail("connect");
    writeAll(fd, command);
    const qint64 bytes = readReply(fd);
    ms = t.nsecsElapsed() * 1e-6;
    ::close(fd);
    return bytes;
}

}  // namespace nesmo::bench
