#pragma once

#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/AdapterDelegate.h>
#include <solen/adapters/SolenBaseAdAdapter.h>

#include <mutex>
#include <optional>
#include <string>

namespace example {

// The load every example ad adapter shares. A line item whose settings name a "behaviour" is
// scripted: "fill", "noPresent" (fills, but a full-screen show never presents), "noFill" or "silent"
// (never answers), after "delayMs" milliseconds (a number, 0 to 60000); with "reportTwice": true its
// outcome is reported twice (a faulty network). Otherwise it is a GET of the URL "adUrl" from the settings: 200 fills the ad, 204 is
// no fill, anything else (no URL, no answer, another status) is an adapter error. A fill's creative
// id is "creativeId" from the same settings. Blocks the caller for the delay or the request: the
// SDK calls `load` on a background queue.
struct ExampleAdLoad {
    enum class Outcome { filled, noFill, failed, silent };

    Outcome outcome = Outcome::failed;
    std::string reason;                     // why it did not fill
    std::optional<std::string> creativeId;  // of a filled ad
    int reports = 1;                        // how often the outcome is reported

    static ExampleAdLoad fetch(const solen::AdapterAdConfiguration& configuration);

    // A load that did not fill, told to `delegate` with `adapter` as the raiser (a silent one tells
    // nothing); false when it filled.
    bool reportFailure(solen::AdapterDelegate* delegate, solen::SolenBaseAdAdapter& adapter) const;
};

// What an example ad adapter keeps of its loaded ad. Thread-safe.
class ExampleLoadedAd {
public:
    // Fetches the ad (ExampleAdLoad). A fill is kept and gives true; anything else is reported to
    // `delegate` and gives false.
    bool load(const solen::AdapterAdConfiguration& configuration, solen::AdapterDelegate* delegate,
              solen::SolenBaseAdAdapter& adapter);

    bool isLoaded() const;
    std::optional<std::string> creativeId() const;
    // How often the kept ad's load is reported (1, or 2 for "reportTwice").
    int reports() const;
    // The line item's settings of the kept ad.
    std::optional<nlohmann::ordered_json> settings() const;

private:
    mutable std::mutex mutex_;
    bool loaded_ = false;
    std::optional<std::string> creativeId_;
    int reports_ = 1;
    std::optional<nlohmann::ordered_json> settings_;
};

}  // namespace example
