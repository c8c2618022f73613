#pragma once

// A bid request with every optional member present (consent, extras, location, SKAdNetwork ids),
// shared by the benchmarks that build one.
#include "Ad/Network/BidRequestAssembler.h"
#include "Ad/Network/Signals/CustomExtras.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "support/ScopedDeviceSignals.h"
#include "support/ScopedUserDefaults.h"

namespace solen::bench {

class BidRequestFixture {
public:
    BidRequestFixture() {
        auto manager = ConfigManager::shared();
        SignalsConfig signals = ConfigDefaults::signals();
        signals.location = true;
        signals.cell = true;
        RootConfig root = ConfigDefaults::root(0);
        root.ids.ida = true;
        root.ids.idv = true;
        manager->store(signals, ConfigType::signals);
        manager->store(root, ConfigType::root);
        manager->loadConfigs();

        auto values = device_.values();
        Json items = Json::array();
        for (int i = 0; i < 40; ++i) {
            items.push_back(Json{{"SKAdNetworkIdentifier", "network" + std::to_string(i) + ".skadnetwork"}});
        }
        values.bundleInfo["SKAdNetworkItems"] = items;
        values.bundleInfo["NSAppTransportSecurity"] = Json{{"NSAllowsArbitraryLoads", true}};
        device_.apply(values);

        platform::Location location;
        location.coordinate = {52.52, 13.405};
        location.horizontalAccuracy = 65;
        PublisherProvidedInfo::setLocation(location);
        PublisherProvidedInfo::setGender(Json{{"gender", 2}});
        CustomExtras::storeCustomExtras(Json::parse(R"({"customIds":[{"idType":"email","value":"a@b"}],"tier":3})"));
        KeyValueStore::set(platform::PropertyValue("p-1"), "ppId");
        defaults_.defaults()->set(platform::PropertyValue("CPXxRfAPXxRfAAfKABENB-CgAAAAAAAAAAYgAAAAAAAA"), "IABTCF_TCString");
        defaults_.defaults()->set(platform::PropertyValue(1), "IABTCF_gdprApplies");
    }

    ImpressionInfo impression{50, 320, std::map<std::string, std::string>{{"placement", "home"}}};

private:
    test::ScopedUserDefaults defaults_;
    test::ScopedDeviceSignals device_;
};

}  // namespace solen::bench
