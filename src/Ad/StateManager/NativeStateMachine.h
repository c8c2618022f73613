#pragma once

#include "Ad/StateManager/StateMachine.h"

#include <string_view>

namespace solen {

enum class NativeState {
    createdState,
    loadingState,
    loadedState,
    failedState,
    showCalledState,
    expandedState
};
enum class NativeTransitionEvent {
    loadCalledEvent,
    loadSuccessEvent,
    loadFailureEvent,
    adShowEvent,
    adExpandEvent,
    adCollapseEvent
};

std::string_view caseName(NativeState state);
std::string_view caseName(NativeTransitionEvent event);

// The lifecycle of a native or splash ad: load, the ad view handed out (as often as asked for) and
// its expansion.
class NativeStateMachine final : public StateMachine<NativeState, NativeTransitionEvent> {
public:
    using StateMachine<NativeState, NativeTransitionEvent>::StateMachine;

protected:
    std::optional<NativeState> nextState(NativeTransitionEvent event, NativeState state) const override;
};

}  // namespace solen
