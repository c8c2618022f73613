#include "Ad/StateManager/S2sNativeStateMachine.h"

namespace solen {

std::string_view caseName(S2sNativeState state) {
    static constexpr std::string_view names[] = {"createdState", "loadingState", "loadedState", "failedState"};
    return caseNameIn(names, state);
}

std::string_view caseName(S2sNativeTransitionEvent event) {
    static constexpr std::string_view names[] = {"loadCalledEvent", "loadSuccessEvent", "loadFailureEvent"};
    return caseNameIn(names, event);
}

std::optional<S2sNativeState> S2sNativeStateMachine::nextState(S2sNativeTransitionEvent event,
                                                               S2sNativeState state) const {
    using S = S2sNativeState;
    using E = S2sNativeTransitionEvent;
    static constexpr Transition table[] = {
        {E::loadCalledEvent, states({S::createdState}), S::loadingState},
        {E::loadSuccessEvent, states({S::loadingState}), S::loadedState},
        {E::loadFailureEvent, states({S::createdState, S::loadingState}), S::failedState},
    };
    return lookUp(table, event, state);
}

}  // namespace solen
