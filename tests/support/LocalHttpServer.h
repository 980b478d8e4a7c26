#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace plimsa::testing {

/// An HTTP server on 127.0.0.1 at a free port, on a thread of its own. Connection i gets `responses[i]`
/// (the last one for every later connection), then its end of sending; an empty response is never sent: the
/// connection stays silent until the server ends. Keeps the head of every request it reads.
class LocalHttpServer {
  public:
    explicit LocalHttpServer(std::vector<std::string> responses) : responses_(std::move(responses)) {
        sockaddr_in address{};
        address.sin_family = AF_INET, address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (listener_ < 0 || ::bind(listener_, generic, length) != 0 || ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, generic, &length) != 0)
            throw std::runtime_error("LocalHttpServer: no socket");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LocalHttpServer() {
        ::shutdown(listener_, SHUT_RDWR);  // ends the wait in accept
        thread_.join();
        ::close(listener_);
    }

    std::uint16_t port() const { return port_; }
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    static std::string response(int status, const std::string& body, const std::string& headers = "") {
        return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n" + headers + "\r\n" + body;
    }

  private:
    void serve() {
        std::vector<int> clients;
        for (int client; (client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            std::string head;
            char buffer[4096];
            for (ssize_t got = 1; got > 0 && head.find("\r\n\r\n") == std::string::npos;)
                if ((got = ::recv(client, buffer, sizeof buffer, 0)) > 0) head.append(buffer, size_t(got));
            std::unique_lock lock(mutex_);
            requests_.push_back(head);
            const std::string& answer = responses_[std::min(requests_.size(), responses_.size()) - 1];
            lock.unlock();
            if (!answer.empty())  // blocking: all is sent, or the client is gone
                (void)::send(client, answer.data(), answer.size(), MSG_NOSIGNAL), ::shutdown(client, SHUT_WR);
            clients.push_back(client);
        }
        for (const int fd : clients) ::close(fd);
    }

    std::vector<std::string> responses_;
    int listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace plimsa::testing
