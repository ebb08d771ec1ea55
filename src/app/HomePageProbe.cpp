#include "app/HomePageProbe.h"

#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace zarvik {

namespace {

struct Request {
    std::string host;
    std::string port;
    std::string text;
};

void sendAndDrain(int fd, const std::string& text)
{
    if (::send(fd, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
        return;
    char buffer[4096];
    long total = 0;
    ssize_t n = 0;
    while (total < HomePageProbe::kMaxAnswerBytes && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        total += n;
}

// Runs on its own thread and touches nothing but its own copy of the request, so that it may
// still be waiting when the program ends.
void fetch(const Request& request)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(request.host.c_str(), request.port.c_str(), &hints, &found) != 0)
        return;
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0)
            continue;
        // On Linux the send timeout bounds the connection attempt too.
        const timeval wait{HomePageProbe::kWaitSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const bool connected = ::connect(fd, address->ai_addr, address->ai_addrlen) == 0;
        if (connected)
            sendAndDrain(fd, request.text);
        ::close(fd);
        if (connected)
            return;
    }
}

} // namespace

HomePageProbe::HomePageProbe(QObject* parent) : QObject(parent) {}

HomePageProbe::~HomePageProbe() = default;

void HomePageProbe::navigate(const QUrl& address)
{
    if (address.scheme() != QLatin1String("http") || address.host().isEmpty())
        return;
    Request request;
    request.host = address.host().toStdString();
    request.port = std::to_string(address.port(80));
    QString target = QString::fromLatin1(address.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment));
    if (target.isEmpty())
        target = QStringLiteral("/");
    QString hostHeader = address.host(QUrl::FullyEncoded);
    if (address.port() != -1)
        hostHeader += QLatin1Char(':') + QString::number(address.port());
    request.text = "GET " + target.toStdString() + " HTTP/1.1\r\nHost: " + hostHeader.toStdString()
                   + "\r\nConnection: close\r\nUser-Agent: Zarvik\r\n\r\n";
    try {
        std::thread(fetch, std::move(request)).detach();
        m_started = true;
    } catch (const std::system_error&) {
        // No thread to spare: the vendor is not told, and nothing else depends on it.
    }
}

} // namespace zarvik
