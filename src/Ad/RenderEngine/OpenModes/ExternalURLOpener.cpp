#include "Ad/RenderEngine/OpenModes/ExternalURLOpener.h"

#include "Commons/Utilities/AsciiCase.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/Foundation/URL.h"
#include "Platform/UI/Application.h"

#include <algorithm>
#include <array>

namespace solen {

namespace {

// Schemes that would run code or read local data in the system's handler, or that only mean
// something inside an ad's page.
constexpr std::array<std::string_view, 9> refusedSchemes{"file",  "javascript", "data",       "blob", "about",
                                                         "mraidview", "qoraidview", "qoaiview", "mraid"};

}  // namespace

bool ExternalURLOpener::isOpenable(std::string_view text) {
    const std::optional<platform::URL> url = platform::URL::parse(text);
    if (!url || !url->scheme()) {
        return false;
    }
    const std::string scheme = lowerCased(*url->scheme());
    return std::find(refusedSchemes.begin(), refusedSchemes.end(), scheme) == refusedSchemes.end();
}

bool ExternalURLOpener::isWebURL(std::string_view text) {
    const std::optional<platform::URL> url = platform::URL::parse(text);
    if (!url || !url->scheme()) {
        return false;
    }
    const std::string scheme = lowerCased(*url->scheme());
    return scheme == "http" || scheme == "https";
}

void ExternalURLOpener::open(const std::string& text, Completion completion) {
    if (!isOpenable(text)) {
        Logger::error("Unopenable URL: " + text);
        performOnMainQueue([completion = std::move(completion)] {
            if (completion) {
                completion(false);
            }
        });
        return;
    }
    platform::Application::shared().open(*platform::URL::parse(text), {}, [completion = std::move(completion)](bool opened) {
        if (completion) {
            completion(opened);
        }
    });
}

}  // namespace solen
