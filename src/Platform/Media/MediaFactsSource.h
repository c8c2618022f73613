#pragma once

#include "Platform/Foundation/URL.h"
#include "Platform/Media/MediaFacts.h"

#include <functional>
#include <memory>

namespace solen::platform {

// Where assets learn the facts of their media address. Production downloads the file and reads
// its headers (DownloadingMediaFactsSource); tests script the facts per address.
// Implementations are thread-safe: `load` may be called from any thread.
class MediaFactsSource {
public:
    using Completion = std::function<void(MediaFacts facts)>;

    // One outstanding load. Cancelling stops its work; the completion may still run once if it
    // was already under way, so callers ignore an answer they no longer wait for.
    class Request {
    public:
        virtual ~Request() = default;
        virtual void cancel() = 0;
    };

    virtual ~MediaFactsSource() = default;

    // Finds the facts of `url`. The completion runs at most once, on any thread, never inside
    // this call.
    virtual std::shared_ptr<Request> load(const URL& url, Completion completion) = 0;

    // The source assets use unless they are given one: made on first use (the downloading source
    // over the shared session and the shared media module).
    static std::shared_ptr<MediaFactsSource> shared();
    // Replaces the shared source (tests); nullptr restores the default one.
    static void setShared(std::shared_ptr<MediaFactsSource> source);
};

}  // namespace solen::platform
