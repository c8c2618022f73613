#pragma once

#include "Ad/RenderEngine/Vast/Parser/VastClientOptions.h"
#include "Ad/RenderEngine/Vast/Parser/VastDocumentFetcher.h"
#include "Ad/RenderEngine/Vast/Parser/VastParser.h"
#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include <memory>
#include <string>

namespace solen {

// Turns VAST document text into a model whose wrapper ads are resolved. Each call is its own
// request (queue, parser, time limit, completion); the client keeps none of them.
class VastClient {
public:
    // `fetcher` loads wrapper documents (default: over HTTP); `sender` fires the Error addresses
    // of documents without ads (default: the VAST parser's own, the SDK's tracker manager).
    explicit VastClient(VastClientOptions options = {}, std::shared_ptr<VastDocumentFetcher> fetcher = nullptr,
                        VastXMLParser::TrackingUrlSender sender = {});

    // Returns at once. `completion` runs once on the main queue with exactly one of model and
    // error. Call it on the main thread, which runs the request's time limit.
    void parse(std::string xml, VastParser::Completion completion) const;

    const VastClientOptions& options() const { return options_; }

private:
    VastClientOptions options_;
    std::shared_ptr<VastDocumentFetcher> fetcher_;
    VastXMLParser::TrackingUrlSender sender_;
};

}  // namespace solen
