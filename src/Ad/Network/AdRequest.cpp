#include "Ad/Network/AdRequest.h"

#include "Ad/Network/BidRequestAssembler.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Utilities/Logger.h"

#include <cstdio>

namespace solen {

AdRequest::AdRequest(platform::URL url, Encodable body, double timeoutSeconds)
    : Request(std::move(url), HTTPMethod::post, std::move(body)) {
    setTimeout(timeoutSeconds);
    setMaximumResponseBytes(documentBodyLimit);
}

std::shared_ptr<AdRequest> AdRequest::create(const std::string& adUnitId, const ImpressionInfo& impressionInfo) {
    auto url = ConfigUtil::getAdServerUrl();
    if (!url) {
        std::puts("Invalid url");
        return nullptr;
    }
    auto encoded = BidRequestAssembler::assembleBody(adUnitId, impressionInfo);
    if (!encoded) {
        Logger::error("Bid request could not be encoded: " + encoded.error);
        return nullptr;
    }
    // Milliseconds in the document, seconds on the request; the transport never treats a
    // non-positive time-out as "no limit".
    const double timeoutSeconds = ConfigUtil::clientConfig().fetchTimeout / 1000.0;
    return std::make_shared<AdRequest>(std::move(*url), Encodable::fromText(*encoded.body), timeoutSeconds);
}

}  // namespace solen
