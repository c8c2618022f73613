#include "Ad/Network/Signals/CustomExtras.h"

#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"

#include <mutex>

namespace solen {
namespace {

constexpr const char* customExtrasKey = "customExtras";
constexpr const char* inMemoryIdsKey = "qo_customIds";

struct InMemoryExtras {
    std::mutex mutex;
    AnyDictionary extras = AnyDictionary::object();
};

InMemoryExtras& inMemory() {
    static auto& instance = *new InMemoryExtras;
    return instance;
}

bool hasNonEmptyArray(const AnyDictionary& dictionary, const char* key) {
    const auto it = dictionary.find(key);
    return it != dictionary.end() && it->is_array() && !it->empty();
}

void appendElements(Json& target, const AnyDictionary& dictionary, const char* key) {
    if (hasNonEmptyArray(dictionary, key)) {
        for (const auto& element : dictionary.at(key)) {
            target.push_back(element);
        }
    }
}

}  // namespace

void CustomExtras::storeCustomExtras(const AnyDictionary& extras) {
    if (!extras.is_object() || extras.empty()) {
        return;
    }
    if (hasNonEmptyArray(extras, inMemoryIdsKey)) {
        InMemoryExtras& memory = inMemory();
        std::lock_guard lock(memory.mutex);
        memory.extras = extras;
        return;
    }
    PublisherProvidedInfo::setGender(extras);
    KeyValueStore::setDictionary(extras, customExtrasKey);
}

std::optional<AnyDictionary> CustomExtras::loadCustomExtras() {
    const auto stored = KeyValueStore::get(customExtrasKey);
    if (!stored || !stored->isDictionary()) {
        return std::nullopt;
    }
    auto json = stored->toJson();
    if (!json || !json->is_object()) {
        return std::nullopt;
    }
    return json;
}

std::optional<Json> CustomExtras::requestExtras(const AnyDictionary& extras) {
    Json ids = Json::array();
    if (extras.is_object()) {
        appendElements(ids, extras, "customIds");
    }
    {
        InMemoryExtras& memory = inMemory();
        std::lock_guard lock(memory.mutex);
        appendElements(ids, memory.extras, inMemoryIdsKey);
    }
    const auto ppId = KeyValueStore::get("ppId");
    if (const std::string* text = ppId ? ppId->text() : nullptr; text != nullptr && !text->empty()) {
        ids.push_back(Json{{"idType", "PPID"}, {"value", *text}});
    }
    if (ids.empty()) {
        return std::nullopt;
    }
    return ids;
}

std::optional<AnyDictionary> CustomExtras::customUserExtras() {
    AnyDictionary extras = loadCustomExtras().value_or(AnyDictionary::object());
    if (auto ids = requestExtras(extras)) {
        extras["customIds"] = std::move(*ids);
    }
    extras.erase("gender");
    if (extras.empty()) {
        return std::nullopt;
    }
    return extras;
}

void CustomExtras::resetForTesting() {
    InMemoryExtras& memory = inMemory();
    std::lock_guard lock(memory.mutex);
    memory.extras = AnyDictionary::object();
}

}  // namespace solen
