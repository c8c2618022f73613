#include "support/ConfigAnswer.h"

#include "Commons/Configs/Network/ConfigResponse.h"

namespace solen::test {

std::string configAnswer(std::vector<ConfigDocument> documents) {
    ConfigResponse response;
    for (ConfigDocument& document : documents) {
        ConfigResponse::Config config;
        config.type = configTypeOf(document);
        config.content = std::move(document);
        config.status = ConfigResponse::ConfigStatus::updated;
        config.lastUpdatedTs = 1764979200000.0;
        response.configs.push_back(std::move(config));
    }
    return response.encode().dump();
}

}  // namespace solen::test
