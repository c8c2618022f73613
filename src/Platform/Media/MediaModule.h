#pragma once

#include "Platform/Media/MediaProbeInterface.h"

#include <mutex>
#include <optional>
#include <string>

namespace solen::platform {

// The media module (libsolen-media.so): the one part of the SDK that links the media libraries,
// loaded with dlopen the first time a media file is probed, so a host that shows no video never
// loads them. It is looked for, in this order, at the path given to the constructor, at the path
// in the environment variable SOLEN_MEDIA_MODULE, and beside the shared library (or program)
// that holds this code. Once loaded it stays loaded until the process ends; a failed load is
// remembered too, with its reason.
// Thread-safe: `probe` may be called from any thread, also concurrently.
class MediaModule {
public:
    static constexpr const char* pathVariable = "SOLEN_MEDIA_MODULE";

    explicit MediaModule(std::optional<std::string> path = std::nullopt);
    MediaModule(const MediaModule&) = delete;
    MediaModule& operator=(const MediaModule&) = delete;

    // The module the shared downloading source uses.
    static MediaModule& shared();

    // Where the module is looked for.
    std::string path() const;
    // Loads the module when not done yet; the reason it cannot be used, or nothing when it can.
    std::optional<std::string> load();
    // Reads the headers of a file held in memory. Loads the module first; when it cannot be
    // loaded the facts are refused with the reason in their message and false is returned.
    bool probe(const std::uint8_t* data, std::size_t size, solen_media_facts& facts);

private:
    const std::optional<std::string> explicitPath_;
    std::once_flag once_;
    solen_media_probe_fn probe_ = nullptr;
    std::string failure_;
};

}  // namespace solen::platform
