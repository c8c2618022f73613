#pragma once

#include "Scenario.h"

#include <nlohmann/json.hpp>

#include <string>

namespace solen::adserver {

// The server-to-server native ads of the built-in scenario, and the pieces they are made of, for
// tests and benchmarks that need a variant. Every address points back at the service: line-item
// trackers at "/track/<kind>?li=<id>", VAST trackers at "/vast/<event>?ad=<id>", the media file,
// the icon and the companion at the paths below.
struct NativeVideoScenario {
    static constexpr const char* adUnit = "demo-native-video";
    static constexpr const char* lineItemId = "nv-1";
    static constexpr const char* clipPath = "/media/clip.mp4";
    static constexpr const char* iconPath = "/img/icon.png";
    static constexpr const char* companionPath = "/img/companion.png";
    // Seconds of the clip, as its VAST document declares them.
    static constexpr int clipSeconds = 2;

    // Adds the unit, its answer and the files it needs: the committed clip (left out when it
    // cannot be read), a 64×64 icon and a 300×250 companion.
    static void add(Scenario& scenario);

    // A VAST 4.2 inline ad `id` of a clip at `mediaPath` with an Error address, an impression,
    // start, quartile and complete trackers, a click-through and a 300×250 PNG companion.
    static std::string vast(const std::string& id, const std::string& mediaPath);
    // The media asset of a native creative: a required, muted, autoplaying video of `vastXml`.
    static nlohmann::ordered_json videoMedia(const std::string& vastXml);
    // The media asset of a native creative: a required picture at `path` of the service.
    static nlohmann::ordered_json imageMedia(const std::string& path);
    // A server-to-server native line item `id` with a title (whose tap opens a landing page and
    // fires its click tracker), a description, a sponsor, a call to action, a required icon and
    // `media`, and trackers of every kind the SDK fires for it (the no-fill one with the drop reason
    // and its description).
    static nlohmann::ordered_json lineItem(const std::string& id, nlohmann::ordered_json media);
    // A 200 answer of `unit` with `ads`, the no-fill tracker pointing back at the service.
    static Answer answer(const std::string& unit, nlohmann::ordered_json ads);
};

}  // namespace solen::adserver
