#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastError.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"
#include "Ad/RenderEngine/Vast/Parser/VastClientOptions.h"
#include "Ad/RenderEngine/Vast/Parser/VastDocumentFetcher.h"
#include "Ad/RenderEngine/Vast/Parser/VastParseResult.h"
#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoopTimer.h"
#include "Platform/Foundation/URL.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// One VAST request: parses the document, follows its wrappers depth first within the depth limit
// and the overall time limit, and hands the result to the main queue once.
//
// Threads: `parse(xml, completion)` runs on the main thread, which also runs the time-limit timer
// and every delivery (the completion is read, called and cleared only there). The parse, every
// wrapper fetch and every merge run on `queue`. Queued work and pending deliveries hold the parser
// strongly, the timer only weakly.
class VastParser : public std::enable_shared_from_this<VastParser> {
public:
    using Completion = std::function<void(std::optional<VastModel> model, std::optional<VastError> error)>;

    // The line written to standard output when a wrapper cannot be resolved.
    static constexpr std::string_view unableToUnwrapLine = "Unable to unwrap wrapper";
    // Ceiling on the depth of a chain whatever `wrapperLimit` says: each level is a nested call
    // on the queue's stack, and a chain that points back to itself must end.
    static constexpr std::int64_t maximumWrapperDepth = 64;

    // `fetcher` loads wrapper documents; `sender` fires the Error addresses of documents without
    // ads (see VastXMLParser). Without a queue the parser makes its own serial "parser" queue.
    static std::shared_ptr<VastParser> create(VastClientOptions options, std::shared_ptr<platform::DispatchQueue> queue,
                                              std::shared_ptr<VastDocumentFetcher> fetcher,
                                              VastXMLParser::TrackingUrlSender sender = {});
    VastParser(const VastParser&) = delete;
    VastParser& operator=(const VastParser&) = delete;

    // Starts the request: stores the completion, schedules the time limit on the main run loop and
    // queues the parse. Call it on the main thread. A parser serves one request: a further call is
    // answered with `VastError::internalError` and leaves the running request alone.
    void parse(std::string xml, Completion completion);

    // Loads and parses the document at `url` read at depth `wrapperDepth`, with its own wrappers
    // resolved. Runs on `queue`.
    VastParseResult parse(const platform::URL& url, std::int64_t wrapperDepth);
    // Every ad of a document read at `wrapperDepth`, resolved, in the same order.
    std::vector<VastAd> unwrap(const std::vector<VastAd>& ads, std::int64_t wrapperDepth);
    // The ad with its wrapper resolved; an ad that is not resolvable comes back unchanged.
    VastAd unwrap(const VastAd& ad, std::int64_t wrapperDepth);
    // Merges the fetched ad `fetched` into the wrapper ad `wrapper`, whose own creatives are its
    // first `wrapperCreatives`: fetched creatives pair with those by position, and the fetched
    // creatives beyond them are added as they are (a wrapper without creatives plays the inline
    // ad's).
    static void merge(const VastAd& fetched, VastAd& wrapper, std::size_t wrapperCreatives);

    // Hands a result to the main queue; the first delivery to run calls the completion.
    void finish(std::optional<VastModel> model, std::optional<VastError> error);

    const VastClientOptions& options() const { return options_; }
    const std::shared_ptr<platform::DispatchQueue>& queue() const { return queue_; }

private:
    VastParser(VastClientOptions options, std::shared_ptr<platform::DispatchQueue> queue,
               std::shared_ptr<VastDocumentFetcher> fetcher, VastXMLParser::TrackingUrlSender sender);

    void parseStep(const std::string& xml, const std::shared_ptr<platform::RunLoopTimer>& timer);
    // Time left of the overall limit, zero once it ran out or a result was handed over.
    platform::Clock::Duration timeLeft() const;

    const VastClientOptions options_;
    std::shared_ptr<platform::DispatchQueue> queue_;
    const std::shared_ptr<VastDocumentFetcher> fetcher_;
    const VastXMLParser::TrackingUrlSender sender_;

    // Written by `parse(xml, completion)` before the parse is queued; read on `queue`.
    platform::Clock::TimePoint deadline_{};
    // Set when a result was handed to the main queue: no further fetch starts.
    std::atomic<bool> finished_{false};
    // Main thread only.
    bool started_ = false;
    Completion completion_;
};

}  // namespace solen
