#include "support/LocalHttpServer.h"

#include "support/TestCertificate.h"

#include <ThreadPerConnection.h>
#include <WideBacklogServer.h>
#include <httplib.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cctype>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace solen::test {

namespace {

bool equalNames(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

void addressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

constexpr int kReadTimeoutMs = 5000;
constexpr int kWriteTimeoutMs = 5000;
constexpr int kIdlePollMs = 50;

// A socket stream with a read buffer (the request parser reads a byte at a time), over TLS when
// given a session whose handshake is done.
class ConnectionStream final : public httplib::Stream {
public:
    explicit ConnectionStream(int socket, SSL* tls = nullptr) : socket_(socket), tls_(tls) {}

    bool is_readable() const override { return hasPending() || wait(POLLIN, kReadTimeoutMs); }
    bool is_writable() const override { return wait(POLLOUT, kWriteTimeoutMs); }

    ssize_t read(char* ptr, size_t size) override {
        if (buffered() == 0) {
            if (!hasPending() && !wait(POLLIN, kReadTimeoutMs)) return -1;
            const ssize_t received = tls_ != nullptr ? SSL_read(tls_, buffer_.data(), static_cast<int>(buffer_.size()))
                                                     : ::recv(socket_, buffer_.data(), buffer_.size(), 0);
            if (received <= 0) return received;
            begin_ = 0;
            end_ = static_cast<std::size_t>(received);
        }
        const std::size_t count = std::min(size, buffered());
        std::memcpy(ptr, buffer_.data() + begin_, count);
        begin_ += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!wait(POLLOUT, kWriteTimeoutMs)) return -1;
        if (tls_ != nullptr) return SSL_write(tls_, ptr, static_cast<int>(size));
        return ::send(socket_, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) addressOf(address, ip, port);
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) addressOf(address, ip, port);
    }

    socket_t socket() const override { return socket_; }

    std::size_t buffered() const { return end_ - begin_; }
    // Bytes already received that the parser has not read yet (decrypted or not).
    bool hasPending() const { return buffered() > 0 || (tls_ != nullptr && SSL_pending(tls_) > 0); }

private:
    bool wait(short events, int timeoutMs) const {
        pollfd entry{socket_, events, 0};
        return ::poll(&entry, 1, timeoutMs) > 0;
    }

    int socket_;
    SSL* tls_;
    std::array<char, 16 * 1024> buffer_{};
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

// What the handler of the current connection's thread needs to know about that connection.
struct ConnectionContext {
    int socket = -1;
    std::size_t number = 0;
    bool closeAfterAnswer = false;
    std::optional<std::string> acceptEncoding;
};

thread_local ConnectionContext* currentConnection = nullptr;

}  // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equalNames(key, name)) return value;
    }
    return std::nullopt;
}

ScriptedAnswer ScriptedAnswer::json(int status, std::string body) {
    ScriptedAnswer answer;
    answer.status = status;
    answer.body = std::move(body);
    return answer;
}

ScriptedAnswer ScriptedAnswer::text(int status, std::string body, std::string contentType) {
    ScriptedAnswer answer;
    answer.status = status;
    answer.body = std::move(body);
    answer.contentType = std::move(contentType);
    return answer;
}

ScriptedAnswer ScriptedAnswer::redirect(int status, std::string location) {
    ScriptedAnswer answer;
    answer.status = status;
    answer.headers.emplace_back("Location", std::move(location));
    return answer;
}

ScriptedAnswer ScriptedAnswer::slow(std::chrono::milliseconds delay, int status, std::string body) {
    ScriptedAnswer answer = json(status, std::move(body));
    answer.delay = delay;
    return answer;
}

ScriptedAnswer ScriptedAnswer::drop() {
    ScriptedAnswer answer;
    answer.dropConnection = true;
    return answer;
}

struct LocalHttpServer::Impl {
    class Server final : public WideBacklogServer {
    public:
        explicit Server(Impl& owner) : owner_(owner) {}

    private:
        // Replaces the library's connection loop: keeps the connection for as long as the client
        // wants, notices a stop within one poll interval, and lets the handler reach the socket.
        bool process_and_close_socket(socket_t sock) override {
            ConnectionContext context;
            context.socket = sock;
            context.number = owner_.connectionOpened(sock);
            currentConnection = &context;
            const std::unique_ptr<SSL, decltype(&SSL_free)> tls(owner_.tls ? SSL_new(owner_.tls.get()) : nullptr, &SSL_free);
            if (owner_.tls && !handshake(sock, tls.get())) context.closeAfterAnswer = true;
            ConnectionStream stream(sock, tls.get());
            while (!owner_.stopping() && !context.closeAfterAnswer) {
                if (!stream.hasPending()) {
                    pollfd entry{sock, POLLIN, 0};
                    const int ready = ::poll(&entry, 1, kIdlePollMs);
                    if (ready < 0) break;
                    if (ready == 0) continue;
                }
                bool closed = false;
                const bool ok = process_request(stream, false, closed, [&context](httplib::Request& request) {
                    // The library would compress answers for clients that accept it (brotli at
                    // its slowest setting costs tens of milliseconds): answers go out as scripted.
                    context.acceptEncoding.reset();
                    if (request.has_header("Accept-Encoding")) {
                        context.acceptEncoding = request.get_header_value("Accept-Encoding");
                        request.headers.erase("Accept-Encoding");
                    }
                });
                if (!ok || closed || context.closeAfterAnswer) break;
            }
            currentConnection = nullptr;
            if (tls && SSL_is_init_finished(tls.get())) SSL_shutdown(tls.get());
            owner_.connectionClosed(sock);
            ::shutdown(sock, SHUT_RDWR);
            ::close(sock);
            return true;
        }

        // A client that never finishes its handshake cannot hold the connection's thread for long.
        static bool handshake(int sock, SSL* tls) {
            if (tls == nullptr) return false;
            timeval limit{kReadTimeoutMs / 1000, 0};
            setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
            return SSL_set_fd(tls, sock) == 1 && SSL_accept(tls) == 1;
        }

        Impl& owner_;
    };

    explicit Impl(Transport transport)
        : server(*this),
          tls(transport == Transport::https ? TestCertificate::loopback().makeServerContext() : nullptr, &SSL_CTX_free) {
        // A TLS write to a connection the client closed raises SIGPIPE (plain sends opt out per call).
        if (tls) std::signal(SIGPIPE, SIG_IGN);
    }

    Server server;
    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> tls;
    std::thread listener;
    int port = -1;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool stopRequested = false;
    std::vector<RecordedRequest> recorded;
    std::deque<ScriptedAnswer> anyPath;
    std::map<std::string, std::deque<ScriptedAnswer>> byPath;
    ScriptedAnswer defaultAnswer = ScriptedAnswer::json(200, "{}");
    Handler handler;
    std::set<int> openSockets;
    std::size_t connections = 0;
    std::size_t received = 0;
    bool recording = true;

    bool stopping() const {
        std::lock_guard lock(mutex);
        return stopRequested;
    }

    std::size_t connectionOpened(int socket) {
        std::lock_guard lock(mutex);
        openSockets.insert(socket);
        return ++connections;
    }

    void connectionClosed(int socket) {
        std::lock_guard lock(mutex);
        openSockets.erase(socket);
    }

    ScriptedAnswer answerFor(const RecordedRequest& request) {
        Handler current;
        {
            std::lock_guard lock(mutex);
            current = handler;
        }
        if (current) {
            if (auto answer = current(request)) return *answer;
        }
        std::lock_guard lock(mutex);
        if (auto it = byPath.find(request.path); it != byPath.end() && !it->second.empty()) {
            ScriptedAnswer answer = std::move(it->second.front());
            it->second.pop_front();
            return answer;
        }
        if (!anyPath.empty()) {
            ScriptedAnswer answer = std::move(anyPath.front());
            anyPath.pop_front();
            return answer;
        }
        return defaultAnswer;
    }

    // Waits for the delay; false when the server stopped meanwhile.
    bool sleepFor(std::chrono::milliseconds delay) {
        std::unique_lock lock(mutex);
        return !changed.wait_for(lock, delay, [this] { return stopRequested; });
    }

    void serve(const httplib::Request& request, httplib::Response& response) {
        RecordedRequest record;
        record.method = request.method;
        record.target = request.target;
        record.path = request.path;
        for (const auto& [name, value] : request.headers) record.headers.emplace_back(name, value);
        if (currentConnection != nullptr && currentConnection->acceptEncoding) {
            record.headers.emplace_back("Accept-Encoding", *currentConnection->acceptEncoding);
        }
        record.body = request.body;
        record.receivedAt = std::chrono::steady_clock::now();
        record.connection = currentConnection != nullptr ? currentConnection->number : 0;
        {
            std::lock_guard lock(mutex);
            ++received;
            if (recording) recorded.push_back(record);
        }
        changed.notify_all();

        const ScriptedAnswer answer = answerFor(record);
        if (answer.delay.count() > 0 && !sleepFor(answer.delay)) {
            closeConnection();
            return;
        }
        if (answer.rawReply) {
            if (currentConnection != nullptr) {
                ::send(currentConnection->socket, answer.rawReply->data(), answer.rawReply->size(), MSG_NOSIGNAL);
            }
            closeConnection();
            return;
        }
        if (answer.dropConnection) {
            closeConnection();
            return;
        }
        response.status = answer.status;
        for (const auto& [name, value] : answer.headers) response.set_header(name, value);
        if (answer.truncateBodyAfter) {
            const std::string body = answer.body;
            const std::size_t sent = std::min(*answer.truncateBodyAfter, body.size());
            response.set_content_provider(body.size(), answer.contentType,
                                          [body, sent](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset < sent) {
                                                  sink.write(body.data() + offset, sent - offset);
                                                  return true;
                                              }
                                              return false;
                                          });
            if (currentConnection != nullptr) currentConnection->closeAfterAnswer = true;
        } else if (!answer.body.empty()) {
            response.set_content(answer.body, answer.contentType);
        }
    }

    // Ends the current connection at once: nothing more is written on it.
    static void closeConnection() {
        if (currentConnection == nullptr) return;
        ::shutdown(currentConnection->socket, SHUT_RDWR);
        currentConnection->closeAfterAnswer = true;
    }
};

LocalHttpServer::LocalHttpServer(Transport transport) : impl_(std::make_unique<Impl>(transport)) {
    auto& server = impl_->server;  // the wide-backlog binding, not the library's
    server.new_task_queue = [] { return new ThreadPerConnection(); };
    server.set_tcp_nodelay(true);
    server.set_socket_options([](socket_t sock) {
        int on = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    });
    const auto handler = [impl = impl_.get()](const httplib::Request& request, httplib::Response& response) {
        impl->serve(request, response);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Patch(".*", handler);
    server.Delete(".*", handler);
    server.Options(".*", handler);

    impl_->port = server.bind_to_any_port("127.0.0.1");
    if (impl_->port <= 0) return;
    impl_->listener = std::thread([impl = impl_.get()] { impl->server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server.is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

LocalHttpServer::~LocalHttpServer() { stop(); }

bool LocalHttpServer::isRunning() const { return impl_->server.is_running() && !impl_->stopping(); }
int LocalHttpServer::port() const { return impl_->port; }
std::string LocalHttpServer::baseUrl() const {
    return std::string(impl_->tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(impl_->port);
}
std::string LocalHttpServer::url(std::string_view pathAndQuery) const { return baseUrl() + std::string(pathAndQuery); }

void LocalHttpServer::enqueue(ScriptedAnswer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->anyPath.push_back(std::move(answer));
}

void LocalHttpServer::enqueue(std::string path, ScriptedAnswer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->byPath[std::move(path)].push_back(std::move(answer));
}

void LocalHttpServer::setDefaultAnswer(ScriptedAnswer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->defaultAnswer = std::move(answer);
}

void LocalHttpServer::setHandler(Handler handler) {
    std::lock_guard lock(impl_->mutex);
    impl_->handler = std::move(handler);
}

std::vector<RecordedRequest> LocalHttpServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->recorded;
}

std::size_t LocalHttpServer::requestCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->received;
}

bool LocalHttpServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->received >= count; });
}

void LocalHttpServer::clearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->recorded.clear();
    impl_->received = 0;
}

void LocalHttpServer::setRecording(bool on) {
    std::lock_guard lock(impl_->mutex);
    impl_->recording = on;
}

std::size_t LocalHttpServer::connectionCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->connections;
}

void LocalHttpServer::stop() {
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->stopRequested) return;
        impl_->stopRequested = true;
        // Wakes connection threads blocked in a read; each closes its own socket.
        for (const int socket : impl_->openSockets) ::shutdown(socket, SHUT_RDWR);
    }
    impl_->changed.notify_all();
    impl_->server.stop();
    if (impl_->listener.joinable()) impl_->listener.join();
}

}  // namespace solen::test
