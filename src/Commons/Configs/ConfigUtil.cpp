#include "Commons/Configs/ConfigUtil.h"

#include "Commons/Configs/ConfigManager.h"

namespace solen {

RootConfig ConfigUtil::rootConfig() { return ConfigManager::shared()->rootOrDefault(); }

PrimeAdsConfig ConfigUtil::clientConfig() { return ConfigManager::shared()->clientOrDefault(); }

SignalsConfig ConfigUtil::signalsConfig() { return ConfigManager::shared()->signalsOrDefault(); }

AnalyticsConfig ConfigUtil::analyticsConfig() { return ConfigManager::shared()->analyticsOrDefault(); }

std::optional<platform::URL> ConfigUtil::getRootUrl() { return platform::URL::parse(rootConfig().url); }

std::optional<platform::URL> ConfigUtil::getAdServerUrl() { return platform::URL::parse(clientConfig().url); }

}  // namespace solen
