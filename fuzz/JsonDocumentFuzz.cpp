// libFuzzer entry: feeds arbitrary bytes to every decoder of a received JSON document and to the
// JSON parse they share. Each decoder must end with a value or a decoding error, never a crash,
// leak or hang. The parse must accept exactly the texts that a general-purpose parser held to the
// same rules accepts (nesting limit, finite numbers, a repeated key counting once with its last
// value) and give the same value for them. A free-form value kept as its compact text must read as
// the value the full decode builds, or fail as it does; UTF-8 verdicts must be those of reading
// scalar by scalar, and JSON string escaping the bytes of the library's dump. Tracker URL lists
// decoded together into one block must read, or fail, as each list decoded on its own.
#include "Ad/Network/Models/AdResponse.h"
#include "Ad/Network/Models/AdTrackers.h"
#include "Ad/RenderEngine/Native/Creative.h"
#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Json/JsonReader.h"
#include "Commons/Json/JsonStringEscaping.h"
#include "Commons/Network/ServerError.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/OptionalAnyDictionary.h"
#include "Platform/Foundation/CharacterSet.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
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

// The value, or the failure's path and reason.
template <class Decode>
std::string outcome(Decode&& decode) {
    try {
        return "value " + decode().dump();
    } catch (const solen::JsonDecodingError& error) {
        return "failure " + error.path() + ": " + error.reason();
    }
}

void checkKeptFreeForm(const solen::JsonReader& reader) {
    const std::string built = outcome([&] { return solen::decodeAnyDictionary(reader); });
    const std::string kept = outcome([&] { return *solen::OptionalAnyDictionary::decode(reader); });
    if (built != kept) {
        std::abort();
    }
}

void checkTrackerLists(const solen::JsonReader& reader) {
    static constexpr const char* keys[] = {"networkLoad", "click",   "impression", "adFill",  "networkNoFill",
                                           "bidLoss",     "networkFill", "videoStart", "videoQ1", "videoQ2",
                                           "videoQ3",     "videoSkip",   "videoComplete"};
    const std::string alone = outcome([&] {
        Json lists = Json::array();
        for (const char* key : keys) {
            const auto list = reader.optional<std::vector<std::string>>(key);
            lists.push_back(list ? Json(*list) : Json(nullptr));
        }
        return lists;
    });
    const std::string together = outcome([&] {
        const auto trackers = reader.as<solen::AdTrackers>();
        const solen::AdTrackers::UrlList* members[] = {
            &trackers.networkLoad, &trackers.click,   &trackers.impression, &trackers.adFill,  &trackers.networkNoFill,
            &trackers.bidLoss,     &trackers.networkFill, &trackers.videoStart, &trackers.videoQ1, &trackers.videoQ2,
            &trackers.videoQ3,     &trackers.videoSkip,   &trackers.videoComplete};
        Json lists = Json::array();
        for (const auto* list : members) {
            const auto texts = list->texts();
            lists.push_back(texts ? Json(*texts) : Json(nullptr));
        }
        return lists;
    });
    if (alone != together) {
        std::abort();
    }
}

bool readsAsScalars(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        if (!solen::platform::nextUtf8Scalar(text, at)) {
            return false;
        }
    }
    return true;
}

void checkUtf8AndEscaping(std::string_view text) {
    const bool valid = solen::platform::isValidUtf8(text);
    if (valid != readsAsScalars(text)) {
        std::abort();
    }
    if (valid) {
        std::string quoted;
        solen::appendQuotedJsonString(quoted, text);
        if (quoted != Json(text).dump()) {
            std::abort();
        }
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
    static const bool quiet = [] {
        solen::Logger::setSink([](std::string_view) {});
        return true;
    }();
    (void)quiet;

    const auto expected = referenceParse(text);
    const auto parsed = parse(text);
    if (expected.has_value() != parsed.has_value() || (parsed && parsed->dump() != expected->dump())) {
        std::abort();
    }

    std::optional<solen::JsonDocument> document;
    try {
        document = solen::JsonDocument::parse(text);
    } catch (const solen::JsonDecodingError&) {
    }
    if (document) {
        const solen::JsonReader reader(*document);
        checkKeptFreeForm(reader);
        checkTrackerLists(reader);
    }
    checkUtf8AndEscaping(text);

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
