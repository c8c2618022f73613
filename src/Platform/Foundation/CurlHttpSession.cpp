#include "Platform/Foundation/CurlHttpSession.h"

#include "Platform/Device/NetworkReachability.h"
#include "Platform/Dispatch/BriefSpin.h"
#include "Platform/Foundation/URLError.h"

#include <curl/curl.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace solen::platform {

namespace {

using Data = HttpSession::Data;

// Token characters of an HTTP field name or method.
bool isToken(std::string_view text) {
    static constexpr std::string_view kSeparators = "!#$%&'*+-.^_`|~";
    if (text.empty()) return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               kSeparators.find(c) != std::string_view::npos;
    });
}

// A field value must not be able to start another header line.
bool isSafeFieldValue(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

bool isLoopbackHost(const std::optional<URL>& url) {
    if (!url) return false;
    const auto host = url->host();
    if (!host) return false;
    return *host == "localhost" || host->rfind("127.", 0) == 0 || *host == "[::1]";
}

URLErrorCode errorCodeFor(CURLcode result, bool overLimit) {
    switch (result) {
        case CURLE_OPERATION_TIMEDOUT: return URLErrorCode::timedOut;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY: return URLErrorCode::cannotFindHost;
        case CURLE_COULDNT_CONNECT: return URLErrorCode::cannotConnectToHost;
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM: return URLErrorCode::networkConnectionLost;
        case CURLE_TOO_MANY_REDIRECTS: return URLErrorCode::httpTooManyRedirects;
        case CURLE_UNSUPPORTED_PROTOCOL: return URLErrorCode::unsupportedURL;
        case CURLE_URL_MALFORMAT: return URLErrorCode::badURL;
        case CURLE_WEIRD_SERVER_REPLY: return URLErrorCode::badServerResponse;
        case CURLE_BAD_CONTENT_ENCODING: return URLErrorCode::cannotDecodeContentData;
        case CURLE_FILESIZE_EXCEEDED: return URLErrorCode::dataLengthExceedsMaximum;
        case CURLE_WRITE_ERROR: return overLimit ? URLErrorCode::dataLengthExceedsMaximum : URLErrorCode::unknown;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_USE_SSL_FAILED:
        case CURLE_SSL_SHUTDOWN_FAILED: return URLErrorCode::secureConnectionFailed;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS: return URLErrorCode::serverCertificateUntrusted;
        case CURLE_ABORTED_BY_CALLBACK: return URLErrorCode::cancelled;
        default: return URLErrorCode::unknown;
    }
}

// Every socket of an exchange is made close-on-exec, so that a program the host starts meanwhile
// never holds a connection of the SDK.
curl_socket_t openSocket(void*, curlsocktype, curl_sockaddr* address) {
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

// The descriptors open in the process, from /proc (none when it cannot be read).
std::vector<int> openDescriptors() {
    std::vector<int> descriptors;
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr) return descriptors;
    const int own = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && fd != own) descriptors.push_back(static_cast<int>(fd));
    }
    ::closedir(folder);
    return descriptors;
}

// A multi handle. libcurl makes its wake-up socket pair without close-on-exec and offers no way to
// reach it: the local sockets that appear while the handle is made get the flag afterwards.
CURLM* makeMultiHandle() {
    const std::vector<int> before = openDescriptors();
    CURLM* multi = curl_multi_init();
    for (const int fd : openDescriptors()) {
        if (std::find(before.begin(), before.end(), fd) != before.end()) continue;
        int domain = 0;
        socklen_t length = sizeof domain;
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && (flags & FD_CLOEXEC) == 0 &&
            ::getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &length) == 0 && domain == AF_UNIX) {
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        }
    }
    return multi;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Task

class CurlDataTask final : public HttpSession::DataTask, public std::enable_shared_from_this<CurlDataTask> {
public:
    CurlDataTask(URLRequest request, HttpSession::CompletionHandler completion,
                 std::weak_ptr<CurlHttpSession::Engine> engine, std::shared_ptr<DispatchQueue> queue,
                 std::shared_ptr<std::atomic<int>> queuedDeliveries)
        : request_(std::move(request)),
          completion_(std::move(completion)),
          engine_(std::move(engine)),
          queue_(std::move(queue)),
          queuedDeliveries_(std::move(queuedDeliveries)) {}

    void resume() override;
    void cancel() override;
    const URLRequest& originalRequest() const override { return request_; }

    // Hands the outcome to the delegate queue; only the first call has an effect. With `waitForTurn`
    // the completion runs on the queue from the calling thread (sync) instead of being queued for
    // one of its workers: the same order and exclusion, without waking another thread.
    void deliver(std::optional<Data> data, std::optional<URLResponse> response, std::optional<Error> error,
                 bool waitForTurn = false) {
        if (delivered_.exchange(true)) return;
        HttpSession::CompletionHandler handler = std::move(completion_);
        if (!handler) return;
        if (waitForTurn) {
            queue_->sync([&] { handler(std::move(data), std::move(response), std::move(error)); });
            return;
        }
        queuedDeliveries_->fetch_add(1);
        queue_->async([handler = std::move(handler), data = std::move(data), response = std::move(response),
                       error = std::move(error), queued = queuedDeliveries_]() mutable {
            handler(std::move(data), std::move(response), std::move(error));
            handler = nullptr;  // captured values are released before the delivery counts as done
            queued->fetch_sub(1);
        });
    }

    void deliverError(URLErrorCode code) { deliver(std::nullopt, std::nullopt, URLError::make(code)); }
    bool isDelivered() const { return delivered_.load(); }

private:
    enum class State { suspended, running };

    URLRequest request_;
    HttpSession::CompletionHandler completion_;
    std::weak_ptr<CurlHttpSession::Engine> engine_;
    std::shared_ptr<DispatchQueue> queue_;
    std::shared_ptr<std::atomic<int>> queuedDeliveries_;
    std::atomic<State> state_{State::suspended};
    std::atomic<bool> delivered_{false};
};

// ---------------------------------------------------------------------------------------------
// Engine: the I/O thread and its multi handle.

class CurlHttpSession::Engine {
public:
    explicit Engine(Configuration configuration)
        : configuration_(std::move(configuration)),
          queue_(DispatchQueue::createSerial(configuration_.delegateQueueLabel)) {
        HttpSession::globalInitialize();
        multi_ = makeMultiHandle();
        if (multi_ != nullptr) curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 32L);
    }

    // The I/O thread holds the engine until it ends, so a session released from a completion
    // (which may run on that thread) leaves the thread to finish on its own.
    static std::shared_ptr<Engine> start(Configuration configuration) {
        auto engine = std::make_shared<Engine>(std::move(configuration));
        if (engine->multi_ != nullptr) engine->thread_ = std::thread([engine] { engine->run(); });
        return engine;
    }

    ~Engine() {
        stop();
        for (CURL* easy : idleHandles_) curl_easy_cleanup(easy);
        if (multi_ != nullptr) curl_multi_cleanup(multi_);
    }

    const std::shared_ptr<DispatchQueue>& queue() const { return queue_; }
    const std::shared_ptr<std::atomic<int>>& queuedDeliveries() const { return queuedDeliveries_; }

    void start(const std::shared_ptr<CurlDataTask>& task) {
        {
            std::lock_guard lock(mutex_);
            if (!stopping_ && multi_ != nullptr) {
                toStart_.push_back(task);
                hasStarts_.store(true, std::memory_order_release);
                // From a completion on the I/O thread the loop picks the task up before it waits;
                // a loop that looks for it (or was woken already) finds it without another wake-up.
                if (std::this_thread::get_id() != ioThread_ && !lookingForStart_ && !wakePending_) wakeLocked();
                return;
            }
        }
        task->deliverError(URLErrorCode::cancelled);
    }

    // A task is about to be started from another thread: an idle I/O thread is woken now and looks
    // for it briefly, instead of being woken when it comes.
    void expectStart() {
        std::lock_guard lock(mutex_);
        if (stopping_ || multi_ == nullptr || std::this_thread::get_id() == ioThread_) return;
        startExpected_ = true;
        if (!lookingForStart_ && !wakePending_) wakeLocked();
    }

    void cancel(const std::shared_ptr<CurlDataTask>& task) {
        std::lock_guard lock(mutex_);
        if (stopping_ || multi_ == nullptr) return;
        toCancel_.push_back(task);
        wakeLocked();
    }

    void stop() {
        bool delivering = false;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            stopping_ = true;
            delivering = deliveringHere_;
            if (multi_ != nullptr) wakeLocked();
        }
        if (!thread_.joinable()) return;
        // While the I/O thread runs a completion (or waits for its turn on the delegate queue),
        // joining could wait for the caller itself: the completion may be the caller, or wait for
        // it. The thread then ends by itself; it keeps the engine alive until it does.
        if (delivering) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }

private:
    struct Transfer {
        std::shared_ptr<CurlDataTask> task;
        CURL* easy = nullptr;
        curl_slist* headerList = nullptr;
        Data received;
        HTTPHeaderFields responseHeaders;
        std::size_t limit = 0;
        bool overLimit = false;

        ~Transfer() { curl_slist_free_all(headerList); }
    };

    static std::size_t onBody(char* bytes, std::size_t size, std::size_t count, void* context) {
        auto* transfer = static_cast<Transfer*>(context);
        const std::size_t length = size * count;
        if (transfer->received.size() + length > transfer->limit) {
            transfer->overLimit = true;
            return 0;
        }
        // Grows like a string (amortised doubling, from the announced length when there is one)
        // and copies the bytes in one block.
        Data& received = transfer->received;
        const std::size_t before = received.size();
        if (received.capacity() < before + length) {
            curl_off_t announced = -1;
            curl_easy_getinfo(transfer->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
            std::size_t wanted = std::max(before + length, 2 * received.capacity());
            if (announced > 0 && static_cast<std::uint64_t>(announced) <= transfer->limit) {
                wanted = std::max(wanted, static_cast<std::size_t>(announced));
            }
            received.reserve(wanted);
        }
        received.resize(before + length);
        std::memcpy(received.data() + before, bytes, length);
        return length;
    }

    static std::size_t onHeader(char* bytes, std::size_t size, std::size_t count, void* context) {
        auto* transfer = static_cast<Transfer*>(context);
        const std::size_t length = size * count;
        const std::string_view line(bytes, length);
        if (line.rfind("HTTP/", 0) == 0) {
            // A new response begins (after a redirect or an interim response).
            transfer->responseHeaders = HTTPHeaderFields();
            return length;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return length;
        const std::string_view name = trim(line.substr(0, colon));
        if (!isToken(name)) return length;
        transfer->responseHeaders.add(name, trim(line.substr(colon + 1)), ", ");
        return length;
    }

    void appendHeader(Transfer& transfer, const std::string& line) {
        transfer.headerList = curl_slist_append(transfer.headerList, line.c_str());
    }

    // Prepares the easy handle; false when the request cannot be sent at all.
    bool prepare(Transfer& transfer, URLErrorCode& failure) {
        const URLRequest& request = transfer.task->originalRequest();
        if (!request.url()) {
            failure = URLErrorCode::badURL;
            return false;
        }
        const auto& scheme = request.url()->scheme();
        const bool secure = scheme && HTTPHeaderFields::equalNames(*scheme, "https");
        if (!secure && !(scheme && HTTPHeaderFields::equalNames(*scheme, "http"))) {
            failure = URLErrorCode::unsupportedURL;
            return false;
        }
        const std::string& method = request.httpMethod();
        if (!isToken(method)) {
            failure = URLErrorCode::badURL;
            return false;
        }
        CURL* easy = transfer.easy;
        const long timeout = HttpSession::timeoutMilliseconds(request.timeoutInterval());
        curl_easy_setopt(easy, CURLOPT_URL, request.url()->absoluteString().c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        // An exchange that started over TLS never goes on in cleartext: a redirect to http would
        // re-send the body (identifiers, consent) unprotected. It fails as an unsupported URL.
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, configuration_.maximumRedirects);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeout);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, timeout);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &openSocket);
        if (configuration_.certificateAuthorityFile) {
            curl_easy_setopt(easy, CURLOPT_CAINFO, configuration_.certificateAuthorityFile->c_str());
        }
        curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Engine::onBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Engine::onHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
        transfer.limit = std::min(configuration_.maximumResponseBytes,
                                  request.maximumResponseBytes().value_or(configuration_.maximumResponseBytes));

        const HTTPHeaderFields& fields = request.allHTTPHeaderFields();
        if (!fields.contains("Accept-Encoding")) {
            curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
        }
        for (const auto& [name, value] : fields) {
            if (!isToken(name) || !isSafeFieldValue(value)) continue;
            appendHeader(transfer, value.empty() ? name + ";" : name + ": " + value);
        }
        if (!fields.contains("Expect")) appendHeader(transfer, "Expect:");

        const bool sendsBody = request.httpBody().has_value() || (method != "GET" && method != "HEAD");
        if (method == "HEAD") {
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        } else if (!sendsBody) {
            curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        } else {
            // The body is sent from the request itself, which the transfer's task keeps alive.
            const char* body = "";
            std::size_t bodySize = 0;
            if (request.httpBody() && !request.httpBody()->empty()) {
                body = reinterpret_cast<const char*>(request.httpBody()->data());
                bodySize = request.httpBody()->size();
            }
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodySize));
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body);
            if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
            // Without this libcurl would label the body as a form.
            if (!fields.contains("Content-Type")) appendHeader(transfer, "Content-Type:");
        }
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headerList);
        return true;
    }

    // Easy handles are reused (reset to their defaults) rather than made per exchange: set-up
    // costs less, and what libcurl keeps per handle stays warm. Connections live in the multi
    // handle's cache either way.
    CURL* acquireHandle() {
        if (idleHandles_.empty()) return curl_easy_init();
        CURL* easy = idleHandles_.back();
        idleHandles_.pop_back();
        return easy;
    }

    void recycleHandle(CURL* easy) {
        if (easy == nullptr) return;
        constexpr std::size_t kMaximumIdleHandles = 8;
        if (idleHandles_.size() >= kMaximumIdleHandles) {
            curl_easy_cleanup(easy);
            return;
        }
        curl_easy_reset(easy);
        idleHandles_.push_back(easy);
    }

    void begin(const std::shared_ptr<CurlDataTask>& task) {
        if (task->isDelivered()) return;  // cancelled before it could start
        auto transfer = std::make_unique<Transfer>();
        transfer->task = task;
        transfer->easy = acquireHandle();
        URLErrorCode failure = URLErrorCode::unknown;
        if (transfer->easy == nullptr || !prepare(*transfer, failure)) {
            recycleHandle(transfer->easy);
            task->deliverError(failure);
            return;
        }
        if (curl_multi_add_handle(multi_, transfer->easy) != CURLM_OK) {
            recycleHandle(transfer->easy);
            task->deliverError(URLErrorCode::unknown);
            return;
        }
        CURL* easy = transfer->easy;
        running_.emplace(easy, std::move(transfer));
    }

    // The completion of an exchange that ends while nothing else is running or waiting runs on
    // the delegate queue from this thread: the usual hand-off would wake a queue worker for every
    // exchange, which costs about as much again as a round trip on loopback. With other exchanges
    // under way it is queued, so that a completion never holds their I/O up; and after a slow
    // completion (exchanges resumed meanwhile had to wait for it) the session queues for a while.
    void deliver(CurlDataTask& task, std::optional<Data> data, std::optional<URLResponse> response,
                 std::optional<Error> error) {
        using Clock = std::chrono::steady_clock;
        constexpr auto kSlowCompletion = std::chrono::milliseconds(2);
        constexpr auto kQueueAfterSlowCompletion = std::chrono::seconds(1);
        bool here = false;
        Clock::time_point started;
        if (running_.empty() && queuedDeliveries_->load() == 0) {
            started = Clock::now();
            std::lock_guard lock(mutex_);
            here = toStart_.empty() && toCancel_.empty() && !stopping_ && started >= queueUntil_;
            deliveringHere_ = here;
        }
        task.deliver(std::move(data), std::move(response), std::move(error), here);
        if (!here) return;
        const auto ended = Clock::now();
        if (ended - started > kSlowCompletion) queueUntil_ = ended + kQueueAfterSlowCompletion;
        std::lock_guard lock(mutex_);
        deliveringHere_ = false;
    }

    void finish(CURL* easy, CURLcode result) {
        const auto it = running_.find(easy);
        if (it == running_.end()) return;
        std::unique_ptr<Transfer> transfer = std::move(it->second);
        running_.erase(it);
        curl_multi_remove_handle(multi_, easy);
        const std::shared_ptr<CurlDataTask> task = transfer->task;

        if (result != CURLE_OK) {
            URLErrorCode code = errorCodeFor(result, transfer->overLimit);
            if (result == CURLE_UNSUPPORTED_PROTOCOL) {
                // Only http and https are ever started: a refused protocol is either a redirect
                // elsewhere (a response came first) or an answer that is not HTTP at all.
                long status = 0;
                curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
                code = status > 0 ? URLErrorCode::unsupportedURL : URLErrorCode::badServerResponse;
            }
            recycleHandle(easy);
            transfer.reset();
            const bool connectFailure = code == URLErrorCode::cannotFindHost || code == URLErrorCode::cannotConnectToHost;
            if (connectFailure && !isLoopbackHost(task->originalRequest().url())) {
                const auto flags = NetworkReachability::internetFlags();
                if (flags && (*flags & NetworkReachability::reachable) == 0) {
                    code = URLErrorCode::notConnectedToInternet;
                }
            }
            deliver(*task, std::nullopt, std::nullopt, URLError::make(code));
            return;
        }
        URLResponse response;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        char* effectiveUrl = nullptr;
        curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effectiveUrl);
        const std::optional<URL>& requested = task->originalRequest().url();
        if (effectiveUrl != nullptr && !(requested && requested->absoluteString() == effectiveUrl)) {
            response.url = URL::parse(effectiveUrl);
        }
        if (!response.url) response.url = requested;
        response.isHTTP = status > 0;
        response.statusCode = status;
        response.allHeaderFields = std::move(transfer->responseHeaders);
        Data received = std::move(transfer->received);
        recycleHandle(easy);
        transfer.reset();
        deliver(*task, std::move(received), std::move(response), std::nullopt);
    }

    void abandon(std::shared_ptr<CurlDataTask> task) {
        for (auto it = running_.begin(); it != running_.end(); ++it) {
            if (it->second->task == task) {
                CURL* easy = it->first;
                curl_multi_remove_handle(multi_, easy);
                running_.erase(it);
                recycleHandle(easy);
                break;
            }
        }
        task->deliverError(URLErrorCode::cancelled);
    }

    // Called with `mutex_` held.
    void wakeLocked() {
        wakePending_ = true;
        curl_multi_wakeup(multi_);
    }

    // Waits for the next thing to do. An expected start is looked for briefly first (only while no
    // exchange runs, whose I/O must not wait): it then costs neither side a wake-up.
    void waitForWork() {
        bool look = false;
        {
            std::lock_guard lock(mutex_);
            if (!toStart_.empty() || !toCancel_.empty() || stopping_) return;
            look = startExpected_ && running_.empty();
            startExpected_ = false;
            lookingForStart_ = look;
        }
        if (look) {
            spinBriefly([this] { return hasStarts_.load(std::memory_order_acquire); });
            std::lock_guard lock(mutex_);
            lookingForStart_ = false;
            if (!toStart_.empty() || !toCancel_.empty() || stopping_) return;
        }
        curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
        std::lock_guard lock(mutex_);
        wakePending_ = false;
    }

    void run() {
        {
            std::lock_guard lock(mutex_);
            ioThread_ = std::this_thread::get_id();
        }
        while (true) {
            std::vector<std::shared_ptr<CurlDataTask>> starts;
            std::vector<std::shared_ptr<CurlDataTask>> cancels;
            bool stopping = false;
            {
                std::lock_guard lock(mutex_);
                starts.swap(toStart_);
                hasStarts_.store(false, std::memory_order_relaxed);
                cancels.swap(toCancel_);
                stopping = stopping_;
            }
            if (stopping) {
                for (const auto& task : starts) task->deliverError(URLErrorCode::cancelled);
                while (!running_.empty()) abandon(running_.begin()->second->task);
                return;
            }
            for (const auto& task : starts) begin(task);
            for (const auto& task : cancels) abandon(task);

            int stillRunning = 0;
            curl_multi_perform(multi_, &stillRunning);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
                if (message->msg == CURLMSG_DONE) finish(message->easy_handle, message->data.result);
            }
            waitForWork();
        }
    }

    Configuration configuration_;
    std::shared_ptr<DispatchQueue> queue_;
    CURLM* multi_ = nullptr;
    std::mutex mutex_;
    std::vector<std::shared_ptr<CurlDataTask>> toStart_;
    std::vector<std::shared_ptr<CurlDataTask>> toCancel_;
    bool stopping_ = false;
    bool deliveringHere_ = false;  // a completion runs on the I/O thread
    bool wakePending_ = false;     // the I/O thread was woken and has not looked at its work yet
    bool startExpected_ = false;   // `expectStart` since the I/O thread last waited
    bool lookingForStart_ = false;  // the I/O thread looks for a start before it waits
    std::atomic<bool> hasStarts_{false};  // `toStart_` is not empty; read without the lock
    std::thread::id ioThread_;     // guarded by mutex_
    std::shared_ptr<std::atomic<int>> queuedDeliveries_ = std::make_shared<std::atomic<int>>(0);
    std::unordered_map<CURL*, std::unique_ptr<Transfer>> running_;  // I/O thread only
    std::vector<CURL*> idleHandles_;                                // I/O thread only
    std::chrono::steady_clock::time_point queueUntil_;              // I/O thread only
    std::thread thread_;
};

void CurlDataTask::resume() {
    State expected = State::suspended;
    if (!state_.compare_exchange_strong(expected, State::running)) return;
    if (auto engine = engine_.lock()) {
        engine->start(shared_from_this());
    } else {
        deliverError(URLErrorCode::cancelled);
    }
}

void CurlDataTask::cancel() {
    State expected = State::suspended;
    if (state_.compare_exchange_strong(expected, State::running)) {
        deliverError(URLErrorCode::cancelled);
        return;
    }
    if (delivered_.load()) return;
    if (auto engine = engine_.lock()) {
        engine->cancel(shared_from_this());
    } else {
        deliverError(URLErrorCode::cancelled);
    }
}

// ---------------------------------------------------------------------------------------------

CurlHttpSession::CurlHttpSession(Configuration configuration)
    : engine_(Engine::start(std::move(configuration))) {}

CurlHttpSession::~CurlHttpSession() { engine_->stop(); }

std::shared_ptr<HttpSession::DataTask> CurlHttpSession::dataTask(URLRequest request, CompletionHandler completion) {
    return std::make_shared<CurlDataTask>(std::move(request), std::move(completion), engine_, engine_->queue(),
                                          engine_->queuedDeliveries());
}

std::shared_ptr<DispatchQueue> CurlHttpSession::delegateQueue() const { return engine_->queue(); }

void CurlHttpSession::willResumeTask() { engine_->expectStart(); }

std::shared_ptr<HttpSession> HttpSession::create() { return create(Configuration()); }

std::shared_ptr<HttpSession> HttpSession::create(Configuration configuration) {
    return std::make_shared<CurlHttpSession>(std::move(configuration));
}

}  // namespace solen::platform
