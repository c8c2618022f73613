#pragma once

#include "Ad/StateManager/StateMachine.h"

#include <string_view>

namespace solen {

enum class S2sNativeState {
    createdState,
    loadingState,
    loadedState,
    failedState
};
enum class S2sNativeTransitionEvent {
    loadCalledEvent,
    loadSuccessEvent,
    loadFailureEvent
};

std::string_view caseName(S2sNativeState state);
std::string_view caseName(S2sNativeTransitionEvent event);

// The lifecycle of a server-rendered native ad, which loads once: loaded and failed are final.
class S2sNativeStateMachine final : public StateMachine<S2sNativeState, S2sNativeTransitionEvent> {
public:
    using StateMachine<S2sNativeState, S2sNativeTransitionEvent>::StateMachine;

protected:
    std::optional<S2sNativeState> nextState(S2sNativeTransitionEvent event, S2sNativeState state) const override;
};

}  // namespace solen
