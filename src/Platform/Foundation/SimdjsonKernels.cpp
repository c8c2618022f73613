#include "Platform/Foundation/SimdjsonKernels.h"

#include <simdjson.h>

#include <string>

namespace solen::platform {
namespace {

// A lasting object of the kind named `name`, or null for a kind this build does not know.
const simdjson::implementation* lastingKernels(const std::string& name) {
#if SIMDJSON_IMPLEMENTATION_ICELAKE
    if (name == "icelake") return new simdjson::icelake::implementation();
#endif
#if SIMDJSON_IMPLEMENTATION_HASWELL
    if (name == "haswell") return new simdjson::haswell::implementation();
#endif
#if SIMDJSON_IMPLEMENTATION_WESTMERE
    if (name == "westmere") return new simdjson::westmere::implementation();
#endif
#if SIMDJSON_IMPLEMENTATION_ARM64
    if (name == "arm64") return new simdjson::arm64::implementation();
#endif
#if SIMDJSON_IMPLEMENTATION_PPC64
    if (name == "ppc64") return new simdjson::ppc64::implementation();
#endif
#if SIMDJSON_IMPLEMENTATION_FALLBACK
    if (name == "fallback") return new simdjson::fallback::implementation();
#endif
    return nullptr;
}

}  // namespace

const simdjson::implementation& simdjsonKernels() {
    static const simdjson::implementation* const kernels = [] {
        // Asking the active implementation's name makes simdjson choose the best one for this
        // processor and make it the active one.
        const std::string name = simdjson::get_active_implementation()->name();
        if (const simdjson::implementation* lasting = lastingKernels(name)) {
            simdjson::get_active_implementation() = lasting;
            return lasting;
        }
        const simdjson::implementation* chosen = simdjson::get_active_implementation();
        return chosen;
    }();
    return *kernels;
}

}  // namespace solen::platform
