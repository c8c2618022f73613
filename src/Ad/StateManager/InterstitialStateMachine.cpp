#include "Ad/StateManager/InterstitialStateMachine.h"

namespace solen {

std::string_view caseName(InterstitialState state) {
    static constexpr std::string_view names[] = {"createdState",    "loadingState",     "loadedState", "failedState",
                                                 "showCalledState", "adPresentedState", "dismissState"};
    return caseNameIn(names, state);
}

std::string_view caseName(InterstitialTransitionEvent event) {
    static constexpr std::string_view names[] = {"loadCalledEvent", "loadSuccessEvent", "loadFailureEvent",
                                                 "adShowEvent",     "adPresentedEvent", "adPresentFailedEvent",
                                                 "adDismissedEvent"};
    return caseNameIn(names, event);
}

std::optional<InterstitialState> InterstitialStateMachine::nextState(InterstitialTransitionEvent event,
                                                                     InterstitialState state) const {
    using S = InterstitialState;
    using E = InterstitialTransitionEvent;
    // A presentation that failed after the show call leaves the ad loadable again.
    static constexpr Transition table[] = {
        {E::loadCalledEvent, states({S::createdState, S::loadedState, S::failedState, S::dismissState}),
         S::loadingState},
        {E::loadSuccessEvent, states({S::loadingState}), S::loadedState},
        {E::loadFailureEvent, states({S::loadingState}), S::failedState},
        {E::adShowEvent, states({S::loadedState}), S::showCalledState},
        {E::adPresentedEvent, states({S::showCalledState}), S::adPresentedState},
        {E::adPresentFailedEvent, states({S::showCalledState}), S::failedState},
        {E::adDismissedEvent, states({S::adPresentedState}), S::dismissState},
    };
    return lookUp(table, event, state);
}

}  // namespace solen
