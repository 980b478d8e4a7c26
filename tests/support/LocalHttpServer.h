#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
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
/// (the last one for every later connection); an empty response is never sent, the connection stays open
/// until the server ends. Keeps the head of every request it reads.
class LocalHttpServer {
  public:
    explicit LocalHttpServer(std::vector<std::string> responses) : responses_(std::move(responses)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (listener_ < 0 || ::bind(listener_, generic, length) != 0 || ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, generic, &length) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0)
            throw std::runtime_error("LocalHttpServer: no socket");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LocalHttpServer() {
        (void)::write(wake_[1], "x", 1);
        thread_.join();
        for (const int fd : {listener_, wake_[0], wake_[1]}) ::close(fd);
    }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    static std::string response(int status, const std::string& body, const std::string& headers = "") {
        return "HTTP/1.1 " + std::to_string(status) +
               " X\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n" + headers + "\r\n" + body;
    }

  private:
    // Waits until `fd` can be read; false once the server is ending.
    bool readable(int fd) const {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        return ::poll(fds, 2, -1) > 0 && (fds[1].revents & POLLIN) == 0;
    }
    void serve() {
        std::vector<int> held;
        for (std::size_t index = 0; readable(listener_); ++index) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::string head;
            char buffer[4096];
            while (head.find("\r\n\r\n") == std::string::npos && readable(client)) {
                const auto got = ::recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                head.append(buffer, static_cast<std::size_t>(got));
            }
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(head);
            }
            const std::string& answer = responses_[std::min(index, responses_.size() - 1)];
            if (answer.empty()) {
                held.push_back(client);
                continue;
            }
            for (std::size_t sent = 0; sent < answer.size();) {
                const auto wrote = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (wrote <= 0) break;
                sent += static_cast<std::size_t>(wrote);
            }
            ::close(client);
        }
        for (const int fd : held) ::close(fd);
    }

    std::vector<std::string> responses_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace plimsa::testing
