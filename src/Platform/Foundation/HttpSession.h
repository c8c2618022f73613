#pragma once

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/URLResponse.h"

#include <solen/ui/Error.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

// A URL session: sends URL requests and delivers each outcome (body, response, error) to a
// completion handler. Completions run one at a time, in the order the exchanges end, on the
// session's own serial queue (`delegateQueue()`), never on the calling thread.
//
// For a finished exchange the body is present (possibly empty) together with the response and no
// error; for a failed one the error is present and body and response are absent.
class HttpSession {
public:
    using Data = std::vector<std::uint8_t>;
    using CompletionHandler =
        std::function<void(std::optional<Data> data, std::optional<URLResponse> response, std::optional<Error> error)>;

    // One exchange. Created suspended; `resume` starts it. `cancel` ends an exchange that has not
    // completed yet with a "cancelled" error (code -999); later calls do nothing.
    class DataTask {
    public:
        virtual ~DataTask() = default;
        virtual void resume() = 0;
        virtual void cancel() = 0;
        virtual const URLRequest& originalRequest() const = 0;
    };

    struct Configuration {
        // Label of the serial completion queue.
        std::string delegateQueueLabel = "solen.urlsession.delegate";
        // Bodies above this size fail the exchange (code -1103) instead of filling memory.
        std::size_t maximumResponseBytes = 64u * 1024u * 1024u;
        // Redirects followed before the exchange fails (code -1007). An https exchange follows
        // https redirects only; a redirect to http fails it as an unsupported URL (code -1002).
        long maximumRedirects = 16;
        // A PEM file of the certificate authorities https servers are checked against, instead of
        // the system's (a private deployment, or a local test server). None: the system's.
        std::optional<std::string> certificateAuthorityFile;
    };

    virtual ~HttpSession() = default;

    virtual std::shared_ptr<DataTask> dataTask(URLRequest request, CompletionHandler completion) = 0;
    virtual std::shared_ptr<DispatchQueue> delegateQueue() const = 0;

    // A hint that the caller is about to resume a task (it is still building the request): a
    // session that wakes a thread of its own for each exchange may start waking it now, so that
    // the wake-up overlaps the caller's work. Changes nothing else; the default does nothing.
    virtual void willResumeTask() {}

    // A new session over libcurl. Connections are kept alive and reused per host.
    static std::shared_ptr<HttpSession> create();
    static std::shared_ptr<HttpSession> create(Configuration configuration);

    // The process-wide shared session, made on first use and kept until the process ends.
    static std::shared_ptr<HttpSession> shared();
    // Replaces the shared session (tests); nullptr restores the default one.
    static void setShared(std::shared_ptr<HttpSession> session);

    // Time-out of a request in whole milliseconds for the transport: at least 1 (0 would mean
    // "no limit"), the default 60 s for a non-finite or non-positive interval, capped at 30 days.
    static long timeoutMilliseconds(double seconds);

    // Prepares the HTTP library for the process (idempotent, thread-safe). Sessions call it.
    static void globalInitialize();
};

}  // namespace solen::platform
