// libFuzzer entry: feeds arbitrary bytes to every decoder of a received JSON document and to the
// JSON parse they share. Each decoder must end with a value or a decoding error, never a crash,
// leak or hang. The parse must accept exactly the texts that a general-purpose parser held to the
// same rules accepts (nesting limit, finite numbers, a repeated key counting once with its last
// value) and give the same value for them.
#include "Ad/Network/Models/AdResponse.h"
#include "Ad/RenderEngine/Native/Creative.h"
#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Json/JsonReader.h"
#include "Commons/Network/ServerError.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using solen::Json;

struct Refused {};

std::optional<Json> referenceParse(std::string_view text) {
    try {
        return Json::parse(text.begin(), text.end(), [](int depth, Json::parse_event_t event, Json& parsed) {
            if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
                depth >= static_cast<int>(solen::JsonDocument::defaultMaxDepth)) {
                throw Refused{};
            }
            if (event == Json::parse_event_t::value && parsed.is_number_float() && !std::isfinite(parsed.get<double>())) {
                throw Refused{};
            }
            return true;
        });
    } catch (const Json::exception&) {
    } catch (const Refused&) {
    }
    return std::nullopt;
}

std::optional<Json> parse(std::string_view text) {
    try {
        return solen::JsonReader::parse(text);
    } catch (const solen::JsonDecodingError&) {
        return std::nullopt;
    }
}

template <class Decode>
void decodeOrRefuse(Decode&& decode) {
    try {
        decode();
    } catch (const solen::JsonDecodingError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto expected = referenceParse(text);
    const auto parsed = parse(text);
    if (expected.has_value() != parsed.has_value() || (parsed && parsed->dump() != expected->dump())) {
        std::abort();
    }

    decodeOrRefuse([&] { solen::ConfigResponse::fromBody(text); });
    for (const auto type : {solen::ConfigType::root, solen::ConfigType::signals, solen::ConfigType::primeAds,
                            solen::ConfigType::primeMediation, solen::ConfigType::analytics}) {
        decodeOrRefuse([&] { solen::decodeConfigDocument(type, text); });
    }
    decodeOrRefuse([&] { solen::AdResponse::decode(text); });
    decodeOrRefuse([&] { solen::Creative::decode(text); });
    solen::ServerError::fromData(std::vector<std::uint8_t>(data, data + size));
    return 0;
}
