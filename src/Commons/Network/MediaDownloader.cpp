#include "Commons/Network/MediaDownloader.h"

#include "Platform/Foundation/HttpSession.h"

namespace solen {

void MediaDownloader::downloadImage(const platform::URL& url, Completion completion) {
    auto session = platform::HttpSession::shared();
    auto task = session->dataTask(
        platform::URLRequest(url),
        [completion = std::move(completion)](std::optional<platform::HttpSession::Data> data,
                                             std::optional<platform::URLResponse> response,
                                             std::optional<platform::Error> error) {
            if (!completion) return;
            const bool ok = !error && response && response->isHTTP && response->statusCode == 200 && data;
            if (!ok) {
                completion(false, std::nullopt);
                return;
            }
            completion(true, platform::Image::fromData(std::move(*data)));
        });
    task->resume();
}

}  // namespace solen
