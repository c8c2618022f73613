#include "Platform/Foundation/Bundle.h"

namespace solen::platform {

Bundle& Bundle::main() {
    static auto& bundle = *new Bundle;
    return bundle;
}

std::optional<nlohmann::ordered_json> Bundle::infoDictionary() const {
    std::lock_guard lock(mutex_);
    return info_;
}

bool Bundle::setInfoDictionary(std::optional<nlohmann::ordered_json> dictionary) {
    if (dictionary && !dictionary->is_object()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    info_ = std::move(dictionary);
    return true;
}

std::optional<nlohmann::ordered_json> Bundle::objectForInfoDictionaryKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    if (!info_) {
        return std::nullopt;
    }
    const auto it = info_->find(key);
    if (it == info_->end()) {
        return std::nullopt;
    }
    return *it;
}

std::optional<std::string> Bundle::bundleIdentifier() const {
    const auto value = objectForInfoDictionaryKey("CFBundleIdentifier");
    if (!value || !value->is_string()) {
        return std::nullopt;
    }
    return value->get_ref<const std::string&>();
}

}  // namespace solen::platform
