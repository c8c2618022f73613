#pragma once

#include "Platform/Foundation/HttpSession.h"
#include "Platform/Media/MediaFactsSource.h"
#include "Platform/Media/MediaModule.h"

#include <memory>

namespace solen::platform {

// The production source: makes sure the media module loads, downloads the whole file through an
// HTTP session (http and https only, within the session's size limit), then reads its container
// headers from memory with the module. A transport error or an answer other than 200 fails every
// key with that error; so does a missing module, before anything is downloaded. The module load
// and the probe run on a global queue, the download on the session; nothing runs on the caller's
// thread. Thread-safe.
class DownloadingMediaFactsSource final : public MediaFactsSource,
                                          public std::enable_shared_from_this<DownloadingMediaFactsSource> {
public:
    // Null arguments mean the shared session (looked up at each load) and the shared module.
    static std::shared_ptr<DownloadingMediaFactsSource> create(std::shared_ptr<HttpSession> session = nullptr,
                                                               MediaModule* module = nullptr);

    std::shared_ptr<Request> load(const URL& url, Completion completion) override;

    // The facts of a whole file held in memory (runs the probe on the calling thread).
    MediaFacts probe(const HttpSession::Data& bytes);

private:
    DownloadingMediaFactsSource(std::shared_ptr<HttpSession> session, MediaModule& module)
        : session_(std::move(session)), module_(module) {}
    struct Load;

    std::shared_ptr<HttpSession> session_;
    MediaModule& module_;
};

}  // namespace solen::platform
