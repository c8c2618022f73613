#include "Ad/RenderEngine/Vast/Parser/VastClient.h"

#include "Ad/RenderEngine/Vast/Parser/HttpVastDocumentFetcher.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <utility>

namespace solen {

VastClient::VastClient(VastClientOptions options, std::shared_ptr<VastDocumentFetcher> fetcher,
                       VastXMLParser::TrackingUrlSender sender)
    : options_(std::move(options)), fetcher_(std::move(fetcher)), sender_(std::move(sender)) {
    if (!fetcher_) {
        fetcher_ = HttpVastDocumentFetcher::shared();
    }
}

void VastClient::parse(std::string xml, VastParser::Completion completion) const {
    auto queue = platform::DispatchQueue::createSerial("parser", platform::QualityOfService::userInitiated);
    VastParser::create(options_, std::move(queue), fetcher_, sender_)->parse(std::move(xml), std::move(completion));
}

}  // namespace solen
