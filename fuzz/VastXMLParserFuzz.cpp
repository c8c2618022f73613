// libFuzzer entry: feeds arbitrary bytes to the VAST parser (as text and as a raw document) and
// checks that it ends with a model or an error, never a crash, leak or hang.
#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::size_t fired = 0;
    auto parser = solen::VastXMLParser::create(
        [&fired](const std::vector<solen::platform::URL>& urls, const std::optional<std::string>&) { fired += urls.size(); });
    const auto result = parser->parse(input);
    if (result.ok() == result.error.has_value()) {
        std::abort();
    }
    if (result.ok() && fired > result.model->errors.size()) {
        std::abort();
    }
    // A URL keeps its text and where its parts lie: they must read back as a fresh parse of the text.
    if (result.ok()) {
        for (const auto& url : result.model->errors) {
            const auto parts = solen::platform::URLComponents::parse(url.absoluteString());
            if (!parts || *parts != url.components()) {
                std::abort();
            }
        }
    }

    auto raw = solen::VastXMLParser::create([](const std::vector<solen::platform::URL>&, const std::optional<std::string>&) {});
    raw->xmlParser = std::make_shared<solen::platform::XmlEventReader>(input);
    const auto second = raw->parseDocument();
    if (second.ok() == second.error.has_value()) {
        std::abort();
    }
    return 0;
}
