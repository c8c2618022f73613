#include "Platform/Foundation/CurlHttpSession.h"

#include "Platform/Device/NetworkReachability.h"
#include "Platform/Foundation/URLError.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
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

}  // namespace

// ---------------------------------------------------------------------------------------------
// Task

class CurlDataTask final : public HttpSession::DataTask, public std::enable_shared_from_this<CurlDataTask> {
public:
    CurlDataTask(URLRequest request, HttpSession::CompletionHandler completion,
                 std::weak_ptr<CurlHttpSession::Engine> engine, std::shared_ptr<DispatchQueue> queue)
        : request_(std::move(request)),
          completion_(std::move(completion)),
          engine_(std::move(engine)),
          queue_(std::move(queue)) {}

    void resume() override;
    void cancel() override;
    const URLRequest& originalRequest() const override { return request_; }

    // Hands the outcome to the delegate queue; only the first call has an effect.
    void deliver(std::optional<Data> data, std::optional<URLResponse> response, std::optional<Error> error) {
        if (delivered_.exchange(true)) return;
        HttpSession::CompletionHandler handler = std::move(completion_);
        if (!handler) return;
        queue_->async([handler = std::move(handler), data = std::move(data), response = std::move(response),
                       error = std::move(error)]() mutable {
            handler(std::move(data), std::move(response), std::move(error));
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
        multi_ = curl_multi_init();
        if (multi_ != nullptr) {
            curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 32L);
            thread_ = std::thread([this] { run(); });
        }
    }

    ~Engine() {
        stop();
        if (multi_ != nullptr) curl_multi_cleanup(multi_);
    }

    const std::shared_ptr<DispatchQueue>& queue() const { return queue_; }

    void start(const std::shared_ptr<CurlDataTask>& task) {
        {
            std::lock_guard lock(mutex_);
            if (!stopping_ && multi_ != nullptr) {
                toStart_.push_back(task);
                curl_multi_wakeup(multi_);
                return;
            }
        }
        task->deliverError(URLErrorCode::cancelled);
    }

    void cancel(const std::shared_ptr<CurlDataTask>& task) {
        std::lock_guard lock(mutex_);
        if (stopping_ || multi_ == nullptr) return;
        toCancel_.push_back(task);
        curl_multi_wakeup(multi_);
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            stopping_ = true;
            if (multi_ != nullptr) curl_multi_wakeup(multi_);
        }
        if (thread_.joinable()) thread_.join();
    }

private:
    struct Transfer {
        std::shared_ptr<CurlDataTask> task;
        CURL* easy = nullptr;
        curl_slist* headerList = nullptr;
        std::string body;
        Data received;
        HTTPHeaderFields responseHeaders;
        std::size_t limit = 0;
        bool overLimit = false;

        ~Transfer() {
            if (easy != nullptr) curl_easy_cleanup(easy);
            curl_slist_free_all(headerList);
        }
    };

    static std::size_t onBody(char* bytes, std::size_t size, std::size_t count, void* context) {
        auto* transfer = static_cast<Transfer*>(context);
        const std::size_t length = size * count;
        if (transfer->received.size() + length > transfer->limit) {
            transfer->overLimit = true;
            return 0;
        }
        transfer->received.insert(transfer->received.end(), bytes, bytes + length);
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
        if (!scheme || (!HTTPHeaderFields::equalNames(*scheme, "http") && !HTTPHeaderFields::equalNames(*scheme, "https"))) {
            failure = URLErrorCode::unsupportedURL;
            return false;
        }
        const std::string& method = request.httpMethod();
        if (!isToken(method)) {
            failure = URLErrorCode::badURL;
            return false;
        }
        transfer.easy = curl_easy_init();
        if (transfer.easy == nullptr) {
            failure = URLErrorCode::unknown;
            return false;
        }
        CURL* easy = transfer.easy;
        const long timeout = HttpSession::timeoutMilliseconds(request.timeoutInterval());
        curl_easy_setopt(easy, CURLOPT_URL, request.url()->absoluteString().c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, configuration_.maximumRedirects);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeout);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, timeout);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Engine::onBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Engine::onHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
        transfer.limit = configuration_.maximumResponseBytes;

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
            if (request.httpBody()) {
                transfer.body.assign(request.httpBody()->begin(), request.httpBody()->end());
            }
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(transfer.body.size()));
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, transfer.body.data());
            if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
            // Without this libcurl would label the body as a form.
            if (!fields.contains("Content-Type")) appendHeader(transfer, "Content-Type:");
        }
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headerList);
        return true;
    }

    void begin(const std::shared_ptr<CurlDataTask>& task) {
        if (task->isDelivered()) return;  // cancelled before it could start
        auto transfer = std::make_unique<Transfer>();
        transfer->task = task;
        URLErrorCode failure = URLErrorCode::unknown;
        if (!prepare(*transfer, failure)) {
            task->deliverError(failure);
            return;
        }
        if (curl_multi_add_handle(multi_, transfer->easy) != CURLM_OK) {
            task->deliverError(URLErrorCode::unknown);
            return;
        }
        CURL* easy = transfer->easy;
        running_.emplace(easy, std::move(transfer));
    }

    void finish(CURL* easy, CURLcode result) {
        const auto it = running_.find(easy);
        if (it == running_.end()) return;
        std::unique_ptr<Transfer> transfer = std::move(it->second);
        running_.erase(it);
        curl_multi_remove_handle(multi_, easy);

        const std::shared_ptr<CurlDataTask>& task = transfer->task;
        if (result != CURLE_OK) {
            URLErrorCode code = errorCodeFor(result, transfer->overLimit);
            if (result == CURLE_UNSUPPORTED_PROTOCOL) {
                // Only http and https are ever started: a refused protocol is either a redirect
                // elsewhere (a response came first) or an answer that is not HTTP at all.
                long status = 0;
                curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
                code = status > 0 ? URLErrorCode::unsupportedURL : URLErrorCode::badServerResponse;
            }
            const bool connectFailure = code == URLErrorCode::cannotFindHost || code == URLErrorCode::cannotConnectToHost;
            if (connectFailure && !isLoopbackHost(task->originalRequest().url())) {
                const auto flags = NetworkReachability::internetFlags();
                if (flags && (*flags & NetworkReachability::reachable) == 0) {
                    code = URLErrorCode::notConnectedToInternet;
                }
            }
            task->deliverError(code);
            return;
        }
        URLResponse response;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        char* effectiveUrl = nullptr;
        curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effectiveUrl);
        response.url = effectiveUrl != nullptr ? URL::parse(effectiveUrl) : std::nullopt;
        if (!response.url) response.url = task->originalRequest().url();
        response.isHTTP = status > 0;
        response.statusCode = status;
        response.allHeaderFields = std::move(transfer->responseHeaders);
        task->deliver(std::move(transfer->received), std::move(response), std::nullopt);
    }

    void abandon(std::shared_ptr<CurlDataTask> task) {
        for (auto it = running_.begin(); it != running_.end(); ++it) {
            if (it->second->task == task) {
                curl_multi_remove_handle(multi_, it->first);
                running_.erase(it);
                break;
            }
        }
        task->deliverError(URLErrorCode::cancelled);
    }

    void run() {
        while (true) {
            std::vector<std::shared_ptr<CurlDataTask>> starts;
            std::vector<std::shared_ptr<CurlDataTask>> cancels;
            bool stopping = false;
            {
                std::lock_guard lock(mutex_);
                starts.swap(toStart_);
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
            curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
        }
    }

    Configuration configuration_;
    std::shared_ptr<DispatchQueue> queue_;
    CURLM* multi_ = nullptr;
    std::mutex mutex_;
    std::vector<std::shared_ptr<CurlDataTask>> toStart_;
    std::vector<std::shared_ptr<CurlDataTask>> toCancel_;
    bool stopping_ = false;
    std::unordered_map<CURL*, std::unique_ptr<Transfer>> running_;  // I/O thread only
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
    : engine_(std::make_shared<Engine>(std::move(configuration))) {}

CurlHttpSession::~CurlHttpSession() { engine_->stop(); }

std::shared_ptr<HttpSession::DataTask> CurlHttpSession::dataTask(URLRequest request, CompletionHandler completion) {
    return std::make_shared<CurlDataTask>(std::move(request), std::move(completion), engine_, engine_->queue());
}

std::shared_ptr<DispatchQueue> CurlHttpSession::delegateQueue() const { return engine_->queue(); }

std::shared_ptr<HttpSession> HttpSession::create() { return create(Configuration()); }

std::shared_ptr<HttpSession> HttpSession::create(Configuration configuration) {
    return std::make_shared<CurlHttpSession>(std::move(configuration));
}

}  // namespace solen::platform
