#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace solen::test {

// What the server received, as it arrived.
struct RecordedRequest {
    std::string method;
    // The request target exactly as sent (path and query, not decoded).
    std::string target;
    // The path of the target, decoded.
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::chrono::steady_clock::time_point receivedAt;
    // Which connection carried it (1 for the first one accepted).
    std::size_t connection = 0;

    // The first value of a header field, by case-insensitive name.
    std::optional<std::string> header(std::string_view name) const;
};

// How the server answers one request.
struct ScriptedAnswer {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string contentType = "application/json";
    // Waits this long before answering (cut short when the server stops).
    std::chrono::milliseconds delay{0};
    // Closes the connection without answering.
    bool dropConnection = false;
    // Announces the whole body, sends only this many bytes of it, then closes the connection.
    std::optional<std::size_t> truncateBodyAfter;
    // Sends these bytes instead of an HTTP answer, then closes the connection.
    std::optional<std::string> rawReply;

    static ScriptedAnswer json(int status, std::string body);
    static ScriptedAnswer text(int status, std::string body, std::string contentType = "text/plain");
    static ScriptedAnswer redirect(int status, std::string location);
    static ScriptedAnswer slow(std::chrono::milliseconds delay, int status = 200, std::string body = "{}");
    static ScriptedAnswer drop();
};

// An HTTP/1.1 server on 127.0.0.1 with an ephemeral port, for tests and benchmarks; over TLS with
// the loopback test certificate (TestCertificate) when made for https. It records
// every request and answers from a script: a handler if one is set and answers, else the next
// answer queued for the request's path, else the next answer queued for any path, else the
// default answer (200 with an empty JSON object). Connections are kept alive as long as the
// client wants, one thread each, with TCP_NODELAY. Thread-safe. Stopping (or destroying) closes
// every connection and cuts delays short.
class LocalHttpServer {
public:
    using Handler = std::function<std::optional<ScriptedAnswer>(const RecordedRequest&)>;

    enum class Transport { http, https };

    explicit LocalHttpServer(Transport transport = Transport::http);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool isRunning() const;
    int port() const;
    // "http://127.0.0.1:<port>" ("https://..." over TLS)
    std::string baseUrl() const;
    // baseUrl() followed by `pathAndQuery` ("/configs?x=1").
    std::string url(std::string_view pathAndQuery) const;

    void enqueue(ScriptedAnswer answer);
    void enqueue(std::string path, ScriptedAnswer answer);
    void setDefaultAnswer(ScriptedAnswer answer);
    void setHandler(Handler handler);

    // Recording is on by default; benchmarks turn it off to keep memory flat (requests still count).
    void setRecording(bool on);

    std::vector<RecordedRequest> requests() const;
    // Requests received (recorded or not).
    std::size_t requestCount() const;
    // Waits until at least `count` requests have arrived; false on time-out.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    void clearRequests();
    // Connections accepted so far.
    std::size_t connectionCount() const;

    void stop();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace solen::test
