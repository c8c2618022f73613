#pragma once

#include "Ad/StateManager/StateMachine.h"

#include <string_view>

namespace solen {

enum class InterstitialState {
    createdState,
    loadingState,
    loadedState,
    failedState,
    showCalledState,
    adPresentedState,
    dismissState
};
enum class InterstitialTransitionEvent {
    loadCalledEvent,
    loadSuccessEvent,
    loadFailureEvent,
    adShowEvent,
    adPresentedEvent,
    adPresentFailedEvent,
    adDismissedEvent
};

std::string_view caseName(InterstitialState state);
std::string_view caseName(InterstitialTransitionEvent event);

// The lifecycle of an interstitial or rewarded ad: load, show, presentation and dismissal. A
// presentation that fails after the show call ends in `failedState`, from which the ad loads again.
class InterstitialStateMachine final : public StateMachine<InterstitialState, InterstitialTransitionEvent> {
public:
    using StateMachine<InterstitialState, InterstitialTransitionEvent>::StateMachine;

protected:
    std::optional<InterstitialState> nextState(InterstitialTransitionEvent event,
                                               InterstitialState state) const override;
};

}  // namespace solen
