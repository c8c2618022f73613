#pragma once

#include "Platform/Foundation/HttpSession.h"

#include <memory>

namespace solen::platform {

// The session over libcurl. One I/O thread per session drives every exchange through one multi
// handle (one easy handle per exchange, taken from a small pool of reset handles), so connections
// are kept alive and reused per host. Finished exchanges are handed to the serial delegate queue
// in the order they end. When nothing else is under way, the I/O thread runs the completion on
// that queue itself (a sync block) instead of waking one of the queue's workers, and a request
// resumed from that completion starts without another wake-up: a chain of requests costs about
// what a plain libcurl loop does. `willResumeTask` wakes an idle I/O thread ahead of the request,
// which then looks for it briefly before it sleeps again, so that its wake-up overlaps the
// building of the request.
//
// Destroying the session ends its exchanges still running with "cancelled" (-999).
class CurlHttpSession final : public HttpSession {
public:
    explicit CurlHttpSession(Configuration configuration);
    ~CurlHttpSession() override;
    CurlHttpSession(const CurlHttpSession&) = delete;
    CurlHttpSession& operator=(const CurlHttpSession&) = delete;

    std::shared_ptr<DataTask> dataTask(URLRequest request, CompletionHandler completion) override;
    std::shared_ptr<DispatchQueue> delegateQueue() const override;
    void willResumeTask() override;

    class Engine;

private:
    std::shared_ptr<Engine> engine_;
};

}  // namespace solen::platform
