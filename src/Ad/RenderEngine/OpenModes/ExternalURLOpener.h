#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace solen {

// Opens URLs outside the application through the system. One rule serves every opener of the
// render engine: a URL that does not parse, or whose scheme is file, javascript, data, blob,
// about or one of the bridge schemes (mraidview, qoraidview, qoaiview, mraid; any letter case),
// is never handed to the system. Main thread only.
class ExternalURLOpener {
public:
    using Completion = std::function<void(bool opened)>;

    // Whether the rule lets `url` leave the application.
    static bool isOpenable(std::string_view url);
    // Whether `url` parses with the scheme http or https (any letter case): what the in-app
    // browser shows.
    static bool isWebURL(std::string_view url);
    // Hands an openable URL to the system; the completion hears on the main queue whether it was
    // opened. An unopenable URL is logged as such and heard as not opened, also on a later turn.
    static void open(const std::string& url, Completion completion);
};

}  // namespace solen
