#pragma once

#include "Commons/Configs/AnalyticsConfig.h"
#include "Commons/Configs/ConfigType.h"
#include "Commons/Configs/MediationConfig.h"
#include "Commons/Configs/PrimeAdsConfig.h"
#include "Commons/Configs/RootConfig.h"
#include "Commons/Configs/SignalsConfig.h"

#include <string>
#include <string_view>
#include <variant>

namespace solen {

// Any one of the five fetched configuration documents.
using ConfigDocument = std::variant<RootConfig, SignalsConfig, PrimeAdsConfig, MediationConfig, AnalyticsConfig>;

// The document type that `type` names. Throws JsonDecodingError.
ConfigDocument decodeConfigDocument(ConfigType type, const JsonReader& reader);
// Parses and decodes a persisted or received document text. Throws JsonDecodingError.
ConfigDocument decodeConfigDocument(ConfigType type, std::string_view text);
// Throws JsonEncodingError when the document holds a value JSON cannot carry.
Json encodeConfigDocument(const ConfigDocument& document);
// The type a document is stored and requested under.
ConfigType configTypeOf(const ConfigDocument& document);

}  // namespace solen
