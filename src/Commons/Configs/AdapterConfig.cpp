#include "Commons/Configs/AdapterConfig.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"
#include "Commons/Utilities/AnyDictionary.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"networkId", "adapterName", "adapterMeta", "headerBidder", "timeout"};

}  // namespace

AdapterConfig AdapterConfig::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    AdapterConfig adapter;
    adapter.networkId = fields.require<std::string>("networkId");
    adapter.adapterName = fields.require<std::string>("adapterName");
    adapter.adapterMeta = fields.emptyOrWith("adapterMeta", OptionalAnyDictionary::decode);
    adapter.headerBidder = fields.require<bool>("headerBidder");
    adapter.timeout = fields.require<double>("timeout");
    return adapter;
}

Json AdapterConfig::encode() const {
    return JsonWriter()
        .set("networkId", networkId)
        .set("adapterName", adapterName)
        .set("adapterMeta", std::optional<Json>(adapterMeta))
        .set("headerBidder", headerBidder)
        .set("timeout", timeout)
        .take();
}

}  // namespace solen
