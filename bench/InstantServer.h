#pragma once

// The server of the load benchmarks' baseline: an HTTP/1.1 server on 127.0.0.1 that answers each
// request at once with bytes prepared before the run (status line, headers and body, identity
// encoding), so that a round trip costs the client's work and the loopback and nothing else.
// Connections are kept alive, one thread each, with TCP_NODELAY. The answer for a request is the
// first prepared one whose key occurs in the request's body; a request that matches none goes to
// the fallback, when one is set (it may take its time), else gets a 404.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace solen::bench {

class InstantServer {
public:
    // The request's head and body; gives the whole answer (status line, headers, body).
    using Fallback = std::function<std::string(std::string_view head, std::string_view body)>;

    InstantServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 64) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~InstantServer() {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        if (acceptor_.joinable()) acceptor_.join();
        std::vector<std::thread> connections;
        {
            std::lock_guard lock(mutex_);
            for (const int socket : sockets_) ::shutdown(socket, SHUT_RDWR);
            connections.swap(connections_);
        }
        for (auto& connection : connections) connection.join();
    }

    InstantServer(const InstantServer&) = delete;
    InstantServer& operator=(const InstantServer&) = delete;

    bool isRunning() const { return port_ > 0; }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // A whole 200 answer carrying `body` as JSON.
    static std::string jsonAnswer(std::string_view body) {
        std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
                             "\r\n\r\n";
        answer.append(body);
        return answer;
    }

    // Requests whose body holds `key` are answered with `answer` (set up before the requests come).
    void prepare(std::string key, std::string answer) {
        std::lock_guard lock(mutex_);
        answers_.emplace_back(std::move(key), std::make_shared<const std::string>(std::move(answer)));
    }
    void setFallback(Fallback fallback) {
        std::lock_guard lock(mutex_);
        fallback_ = std::move(fallback);
    }
    // While on, the body of each request is kept until the next one (set-up only: not for timed
    // requests).
    void setRecording(bool on) {
        std::lock_guard lock(mutex_);
        recording_ = on;
    }
    std::string lastRequest() const {
        std::lock_guard lock(mutex_);
        return lastRequest_;
    }

    // The value of header field `name` (lower case, with its colon) in a request head; empty
    // without one.
    static std::string_view field(std::string_view head, std::string_view name) {
        for (std::size_t line = head.find("\r\n"); line != std::string_view::npos; line = head.find("\r\n", line + 2)) {
            std::string_view rest = head.substr(line + 2);
            if (rest.size() < name.size() ||
                !std::equal(name.begin(), name.end(), rest.begin(),
                            [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
                continue;
            }
            rest = rest.substr(name.size(), rest.find("\r\n") - name.size());
            while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
            return rest;
        }
        return {};
    }

private:
    void acceptLoop() {
        while (!stopping_) {
            const int socket = ::accept(listener_, nullptr, nullptr);
            if (socket < 0) {
                if (stopping_) return;
                continue;
            }
            int on = 1;
            ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            std::lock_guard lock(mutex_);
            sockets_.push_back(socket);
            connections_.emplace_back([this, socket] { serve(socket); });
        }
    }

    std::shared_ptr<const std::string> answerFor(std::string_view head, std::string_view body) {
        Fallback fallback;
        {
            std::lock_guard lock(mutex_);
            if (recording_) lastRequest_ = body;
            for (const auto& [key, answer] : answers_) {
                if (body.find(key) != std::string_view::npos) return answer;
            }
            fallback = fallback_;
        }
        if (fallback) return std::make_shared<const std::string>(fallback(head, body));
        return std::make_shared<const std::string>("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    }

    bool sendAll(int socket, std::string_view bytes) {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t wrote = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (wrote <= 0) return false;
            sent += static_cast<std::size_t>(wrote);
        }
        return true;
    }

    void serve(int socket) {
        std::string buffer;
        char chunk[16384];
        for (;;) {
            std::size_t headEnd;
            while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
                const ssize_t got = ::recv(socket, chunk, sizeof chunk, 0);
                if (got <= 0) return finish(socket);
                buffer.append(chunk, static_cast<std::size_t>(got));
            }
            const std::size_t bodyStart = headEnd + 4;
            const std::string_view head = std::string_view(buffer).substr(0, headEnd);
            const std::size_t total = bodyStart + std::strtoul(std::string(field(head, "content-length:")).c_str(), nullptr, 10);
            if (buffer.size() < total && field(head, "expect:") == "100-continue" &&
                !sendAll(socket, "HTTP/1.1 100 Continue\r\n\r\n")) {
                return finish(socket);
            }
            while (buffer.size() < total) {
                const ssize_t got = ::recv(socket, chunk, sizeof chunk, 0);
                if (got <= 0) return finish(socket);
                buffer.append(chunk, static_cast<std::size_t>(got));
            }
            const std::string_view request(buffer);
            const auto answer = answerFor(request.substr(0, headEnd), request.substr(bodyStart, total - bodyStart));
            if (!sendAll(socket, *answer)) return finish(socket);
            buffer.erase(0, total);
        }
    }

    void finish(int socket) {
        std::lock_guard lock(mutex_);
        sockets_.erase(std::remove(sockets_.begin(), sockets_.end(), socket), sockets_.end());
        ::close(socket);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    mutable std::mutex mutex_;
    bool recording_ = false;
    std::string lastRequest_;
    std::vector<int> sockets_;
    std::vector<std::thread> connections_;
    std::vector<std::pair<std::string, std::shared_ptr<const std::string>>> answers_;
    Fallback fallback_;
};

}  // namespace solen::bench
