#include "Ad/Adapter/InternalAdapter/AdapterAdState.h"

#include <array>

namespace solen::AdapterAdStates {

namespace {

constexpr std::array<AdapterAdState, 4> allStates = {AdapterAdState::initialised, AdapterAdState::loading,
                                                     AdapterAdState::loaded, AdapterAdState::failed};

}  // namespace

std::string_view rawValue(AdapterAdState state) {
    switch (state) {
        case AdapterAdState::initialised: return "initialised";
        case AdapterAdState::loading: return "loading";
        case AdapterAdState::loaded: return "loaded";
        case AdapterAdState::failed: return "failed";
    }
    return {};
}

std::optional<AdapterAdState> fromRawValue(std::string_view raw) {
    for (const auto state : allStates) {
        if (rawValue(state) == raw) {
            return state;
        }
    }
    return std::nullopt;
}

}  // namespace solen::AdapterAdStates
