#include "Commons/Configs/AdapterConfig.h"

#include "Commons/Json/JsonWriter.h"
#include "Commons/Utilities/AnyDictionary.h"

namespace solen {

AdapterConfig AdapterConfig::decode(const JsonReader& reader) {
    AdapterConfig adapter;
    adapter.networkId = reader.require<std::string>("networkId");
    adapter.adapterName = reader.require<std::string>("adapterName");
    if (reader.hasValue("adapterMeta")) {
        adapter.adapterMeta = decodeAnyDictionary(reader.at("adapterMeta"));
    }
    adapter.headerBidder = reader.require<bool>("headerBidder");
    adapter.timeout = reader.require<double>("timeout");
    return adapter;
}

Json AdapterConfig::encode() const {
    return JsonWriter()
        .set("networkId", networkId)
        .set("adapterName", adapterName)
        .set("adapterMeta", adapterMeta)
        .set("headerBidder", headerBidder)
        .set("timeout", timeout)
        .take();
}

}  // namespace solen
