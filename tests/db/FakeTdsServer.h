#pragma once

// A stand-in SQL Server on 127.0.0.1 for the FreeTDS tests. Listening alone, it is a server
// that accepts and never answers (the kernel completes the handshake). Serving, it answers the
// pre-login handshake, decodes the login that follows, and closes: enough to see exactly which
// user, password and database the driver sent.

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class TFakeTdsServer {
public:
    struct Login {
        QString HostName, UserName, Password, AppName, ServerName, Database;
    };

    TFakeTdsServer() {
        FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (FListener < 0 || ::bind(FListener, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            ::listen(FListener, 8) != 0 ||
            ::getsockname(FListener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        FPort = ntohs(addr.sin_port);
    }
    ~TFakeTdsServer() {
        FStop = true;
        if (FThread.joinable())
            FThread.join();
        if (FListener >= 0)
            ::close(FListener);
    }
    TFakeTdsServer(const TFakeTdsServer&) = delete;
    TFakeTdsServer& operator=(const TFakeTdsServer&) = delete;

    // 0 when the server could not listen.
    quint16 Port() const { return FPort; }

    // Serves connections in the background until one has sent its login.
    void Serve() {
        FThread = std::thread([this] { Run(); });
    }

    std::optional<Login> TakeLogin() {
        std::unique_lock lock(FMutex);
        FChanged.wait_for(lock, std::chrono::seconds(30), [this] { return FLogin.has_value(); });
        return FLogin;
    }

    // A port on 127.0.0.1 where nothing listens (the port of a socket just closed).
    static quint16 ClosedPort() {
        TFakeTdsServer probe;
        const quint16 port = probe.Port();
        return port;
    }

private:
    void Run() {
        while (!FStop) {
            pollfd p{FListener, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const int fd = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::optional<Login> login = Converse(fd);
            ::close(fd);
            if (login) {
                std::lock_guard lock(FMutex);
                FLogin = login;
                FChanged.notify_all();
                return;
            }
        }
    }

    bool ReadExact(int fd, char* buffer, size_t size) {
        size_t done = 0;
        while (done < size && !FStop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = ::read(fd, buffer + done, size - done);
            if (n <= 0)
                return false;
            done += size_t(n);
        }
        return done == size;
    }

    // One TDS message (packets up to the one marked end-of-message): its type and payload.
    std::optional<std::pair<int, QByteArray>> ReadMessage(int fd) {
        QByteArray payload;
        int type = 0;
        for (;;) {
            char header[8];
            if (!ReadExact(fd, header, 8))
                return std::nullopt;
            type = uchar(header[0]);
            const int length = (uchar(header[2]) << 8) | uchar(header[3]);
            if (length < 8)
                return std::nullopt;
            QByteArray body(length - 8, '\0');
            if (!ReadExact(fd, body.data(), size_t(body.size())))
                return std::nullopt;
            payload += body;
            if (header[1] & 0x01)
                return std::pair{type, payload};
        }
    }

    static QByteArray PreloginReply() {
        // VERSION (token 0, 6 bytes) and ENCRYPTION (token 1, 1 byte: not supported).
        QByteArray options;
        options += char(0x00);
        options += QByteArray::fromHex("000b0006");
        options += char(0x01);
        options += QByteArray::fromHex("00110001");
        options += char(0xff);
        options += QByteArray::fromHex("0f0007d00000"); // 15.0.2000
        options += char(0x02);
        QByteArray packet = QByteArray::fromHex("0401");
        const int length = 8 + int(options.size());
        packet += char(length >> 8);
        packet += char(length & 0xff);
        packet += QByteArray::fromHex("00000100");
        return packet + options;
    }

    static QString Field(const QByteArray& Login7, int Offset, bool Obfuscated) {
        const auto u16 = [&](int at) {
            return at + 1 < Login7.size() ? int(uchar(Login7[at]) | (uchar(Login7[at + 1]) << 8))
                                          : 0;
        };
        const int start = u16(Offset);
        const int chars = u16(Offset + 2);
        QByteArray bytes = Login7.mid(start, chars * 2);
        if (Obfuscated)
            for (char& b : bytes) {
                const uchar x = uchar(b) ^ 0xA5;
                b = char(uchar((x << 4) | (x >> 4)));
            }
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                  bytes.size() / 2);
    }

    std::optional<Login> Converse(int fd) {
        auto first = ReadMessage(fd);
        if (!first || first->first != 0x12) // pre-login
            return std::nullopt;
        const QByteArray reply = PreloginReply();
        if (::write(fd, reply.constData(), size_t(reply.size())) != reply.size())
            return std::nullopt;
        auto login = ReadMessage(fd);
        if (!login || login->first != 0x10) // LOGIN7
            return std::nullopt;
        const QByteArray& l = login->second;
        return Login{Field(l, 36, false), Field(l, 40, false), Field(l, 44, true),
                     Field(l, 48, false), Field(l, 52, false), Field(l, 68, false)};
    }

    int FListener = -1;
    quint16 FPort = 0;
    std::atomic<bool> FStop{false};
    std::thread FThread;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::optional<Login> FLogin;
};
