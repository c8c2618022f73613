#include <solen/adapters/AdapterRegistration.h>

#include "Commons/Utilities/Logger.h"
#include "Platform/Foundation/ClassRegistry.h"

#include <typeindex>
#include <vector>

namespace solen {
namespace {

using Makers = std::vector<std::pair<std::type_index, platform::ClassRegistry::Class::ErasedMaker>>;

template <class Protocol>
void addMaker(Makers& makers, const std::function<std::shared_ptr<Protocol>()>& factory) {
    if (factory) {
        makers.emplace_back(std::type_index(typeid(Protocol)),
                            [factory]() -> std::shared_ptr<void> { return std::shared_ptr<Protocol>(factory()); });
    }
}

}  // namespace

bool registerAdapterClass(AdapterClass adapterClass) {
    if (adapterClass.name.empty()) {
        Logger::applicationError("An adapter class without a name is not registered");
        return false;
    }
    Makers makers;
    addMaker(makers, adapterClass.sdkAdapter);
    addMaker(makers, adapterClass.bannerAdapter);
    addMaker(makers, adapterClass.interstitialAdapter);
    addMaker(makers, adapterClass.rewardedAdapter);
    addMaker(makers, adapterClass.nativeAdapter);
    addMaker(makers, adapterClass.splashAdapter);
    if (makers.empty()) {
        Logger::applicationError("Class " + adapterClass.name +
                                 " conforms to no adapter protocol and is not registered");
        return false;
    }
    return platform::ClassRegistry::shared().add(
        platform::ClassRegistry::Class::fromMakers(std::move(adapterClass.name), std::move(makers)));
}

bool loadAdapterModule(const std::string& path, std::string* error) {
    return platform::ClassRegistry::loadModule(path, error);
}

}  // namespace solen
