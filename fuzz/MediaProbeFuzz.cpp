// Feeds arbitrary bytes to the media module's header reader and to the SDK's reading of its
// answer: neither may crash, hang, leak or read out of bounds, whatever the file claims.

#include "Platform/Media/MediaFacts.h"
#include "Platform/Media/MediaProbeInterface.h"

#include <cstddef>
#include <cstdint>

extern "C" int32_t solen_media_probe_v1(const uint8_t* data, size_t size, solen_media_facts* facts);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    solen_media_facts facts;
    solen_media_probe_v1(data, size, &facts);
    const auto read = solen::platform::MediaFacts::fromProbe(facts);
    (void)read;
    return 0;
}
