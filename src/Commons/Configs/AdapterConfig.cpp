#include "Commons/Configs/AdapterConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

// A free-form value holds objects, arrays and scalars; a null anywhere inside it cannot be
// represented and fails the value.
void requireNoNull(const JsonReader& reader) {
    const Json& value = reader.value();
    if (value.is_null()) {
        JsonReader::fail(reader.path(), "the container contains nothing serialisable");
    }
    if (value.is_object()) {
        for (const std::string& key : reader.keys()) {
            requireNoNull(reader.at(key));
        }
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < reader.size(); ++i) {
            requireNoNull(reader.element(i));
        }
    }
}

}  // namespace

AdapterConfig AdapterConfig::decode(const JsonReader& reader) {
    AdapterConfig adapter;
    adapter.networkId = reader.require<std::string>("networkId");
    adapter.adapterName = reader.require<std::string>("adapterName");
    if (reader.hasValue("adapterMeta")) {
        const JsonReader meta = reader.at("adapterMeta");
        requireNoNull(meta);
        adapter.adapterMeta = meta.value();
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
