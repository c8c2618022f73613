#include "Ad/StateManager/NativeStateMachine.h"

namespace solen {

std::string_view caseName(NativeState state) {
    static constexpr std::string_view names[] = {"createdState", "loadingState",    "loadedState",
                                                 "failedState",  "showCalledState", "expandedState"};
    return caseNameIn(names, state);
}

std::string_view caseName(NativeTransitionEvent event) {
    static constexpr std::string_view names[] = {"loadCalledEvent", "loadSuccessEvent", "loadFailureEvent",
                                                 "adShowEvent",     "adExpandEvent",    "adCollapseEvent"};
    return caseNameIn(names, event);
}

std::optional<NativeState> NativeStateMachine::nextState(NativeTransitionEvent event, NativeState state) const {
    using S = NativeState;
    using E = NativeTransitionEvent;
    static constexpr Transition table[] = {
        {E::loadCalledEvent, states({S::createdState, S::loadedState, S::failedState, S::showCalledState}),
         S::loadingState},
        {E::loadSuccessEvent, states({S::loadingState}), S::loadedState},
        {E::loadFailureEvent, states({S::createdState, S::loadingState}), S::failedState},
        {E::adShowEvent, states({S::loadedState, S::showCalledState}), S::showCalledState},
        {E::adExpandEvent, states({S::showCalledState}), S::expandedState},
        {E::adCollapseEvent, states({S::expandedState}), S::showCalledState},
    };
    return lookUp(table, event, state);
}

}  // namespace solen
