#include "Ad/StateManager/BannerStateMachine.h"

namespace solen {

std::string_view caseName(BannerStateType state) {
    static constexpr std::string_view names[] = {"createdState", "loadingState",  "refreshLoadState", "loadedState",
                                                 "failedState",  "renderedState", "expandedState"};
    return caseNameIn(names, state);
}

std::string_view caseName(BannerTransitionEvent event) {
    static constexpr std::string_view names[] = {"loadCalledEvent", "loadSuccessEvent", "loadFailureEvent",
                                                 "adExpandEvent",   "adCollapseEvent",  "adRefreshEvent"};
    return caseNameIn(names, event);
}

std::optional<BannerStateType> BannerStateMachine::nextState(BannerTransitionEvent event, BannerStateType state) const {
    using S = BannerStateType;
    using E = BannerTransitionEvent;
    static constexpr Transition table[] = {
        {E::loadCalledEvent,
         states({S::createdState, S::refreshLoadState, S::loadedState, S::failedState, S::renderedState}),
         S::loadingState},
        {E::loadSuccessEvent, states({S::loadingState}), S::loadedState},
        {E::loadFailureEvent, states({S::createdState, S::loadingState}), S::failedState},
        {E::adExpandEvent, states({S::refreshLoadState, S::loadedState}), S::expandedState},
        {E::adCollapseEvent, states({S::expandedState}), S::loadedState},
        {E::adRefreshEvent, states({S::loadedState, S::failedState}), S::refreshLoadState},
    };
    return lookUp(table, event, state);
}

}  // namespace solen
