#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace solen::platform {

// One file the build placed inside the library: its name without extension and its bytes.
struct EmbeddedResource {
    std::string_view name;
    std::span<const unsigned char> bytes;
};

// The SDK's own resources (the files of resources/images), compiled in at build time. The
// table and its bytes live as long as the process. Thread-safe: read-only data.
std::span<const EmbeddedResource> embeddedResources();

}  // namespace solen::platform
