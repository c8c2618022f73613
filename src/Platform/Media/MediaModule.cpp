#include "Platform/Media/MediaModule.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace solen::platform {
namespace {

// The folder of the shared object (or program) this function was linked into.
std::string ownFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownFolder), &info) == 0 || !info.dli_fname) return {};
    const std::string file = info.dli_fname;
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace

MediaModule::MediaModule(std::optional<std::string> path) : explicitPath_(std::move(path)) {}

MediaModule& MediaModule::shared() {
    // Never destroyed: a probe still loading the module on a global queue may outlive exit.
    static MediaModule& module = *new MediaModule;
    return module;
}

std::string MediaModule::path() const {
    if (explicitPath_) return *explicitPath_;
    if (const char* fromEnvironment = std::getenv(pathVariable); fromEnvironment && *fromEnvironment) {
        return fromEnvironment;
    }
    return ownFolder() + SOLEN_MEDIA_MODULE_FILE;
}

std::optional<std::string> MediaModule::load() {
    std::call_once(once_, [this] {
        const std::string file = path();
        void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            failure_ = "media module unavailable: " + std::string(reason ? reason : file);
            return;
        }
        probe_ = reinterpret_cast<solen_media_probe_fn>(dlsym(handle, SOLEN_MEDIA_PROBE_SYMBOL));
        if (!probe_) {
            failure_ = "media module " + file + " lacks " + SOLEN_MEDIA_PROBE_SYMBOL;
            dlclose(handle);
        }
    });
    if (probe_) return std::nullopt;
    return failure_;
}

bool MediaModule::probe(const std::uint8_t* data, std::size_t size, solen_media_facts& facts) {
    if (auto failure = load()) {
        std::memset(&facts, 0, sizeof(facts));
        facts.result = SOLEN_MEDIA_UNREADABLE;
        std::strncpy(facts.message, failure->c_str(), sizeof(facts.message) - 1);
        return false;
    }
    probe_(data, size, &facts);
    return true;
}

}  // namespace solen::platform
