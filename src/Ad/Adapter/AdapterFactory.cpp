#include "Ad/Adapter/AdapterFactory.h"

#include "Ad/Adapter/AdapterRecords.h"
#include "Commons/Utilities/ClassLookup.h"
#include "Commons/Utilities/Logger.h"

#include <cstdio>

namespace solen {
namespace {

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The name as it may appear in a log line: printable ASCII as it is, every other byte as \xHH.
std::string printable(std::string_view name) {
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

bool composeClassName(std::string_view adapterName, std::string_view classKind, std::string& className) {
    return AdapterFactory::composeAdapterClassName(adapterName, classKind, {}, className);
}

}  // namespace

bool AdapterFactory::composeAdapterClassName(std::string_view adapterName, std::string_view kindStart,
                                             std::string_view kindEnd, std::string& className) {
    if (!isValidAdapterName(adapterName)) {
        Logger::error("Invalid adapter name " + printable(adapterName));
        return false;
    }
    constexpr std::string_view prefix = "Solen", middle = "Adapter.";
    className.clear();
    className.append(prefix).append(adapterName).append(middle).append(adapterName).append(kindStart).append(kindEnd);
    return true;
}

bool AdapterFactory::isValidAdapterName(std::string_view adapterName) {
    if (adapterName.empty() || adapterName.size() > maxAdapterNameLength) {
        return false;
    }
    for (const char c : adapterName) {
        if (!isNameCharacter(c)) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> AdapterFactory::adapterClassName(std::string_view adapterName, std::string_view classKind) {
    std::string className;
    if (!composeClassName(adapterName, classKind, className)) {
        return std::nullopt;
    }
    return className;
}

std::optional<std::string> AdapterFactory::sdkAdapterClassName(std::string_view adapterName) {
    return adapterClassName(adapterName, "SDKAdapter");
}

std::shared_ptr<SDKAdapters> AdapterFactory::sdkAdapter(const AdapterConfig& network) {
    // Looked up for every header bidder of every bid request: the name is composed in a buffer
    // that each thread keeps.
    thread_local std::string className;
    if (!composeClassName(network.adapterName, "SDKAdapter", className)) {
        return nullptr;
    }
    const auto cls = classFromString(className);
    if (!cls || !cls->conformsTo<SolenBaseSDKAdapter>()) {
        return nullptr;
    }
    auto instance = cls->create<SolenBaseSDKAdapter>();
    if (!instance) {
        return nullptr;
    }
    return SDKAdapters::create(std::move(instance), network.adapterName);
}

std::shared_ptr<SDKAdapters> AdapterFactory::makeSDKAdapter(const AdapterConfig& network) { return sdkAdapter(network); }

void AdapterFactory::initilizeNetworkSDKOnAdLoad(const AdapterConfig& network) {
    const auto adapter = makeSDKAdapter(network);
    if (!adapter) {
        Logger::error(printable(network.adapterName) + "Adapter Not found");
        return;
    }
    if (adapter->isStarted()) {
        return;
    }
    adapter->initOnAdLoad(makeAdapterSdkConfiguration(network));
}

}  // namespace solen
