#pragma once

#include "Ad/StateManager/StateMachine.h"

#include <string_view>

namespace solen {

enum class BannerStateType {
    createdState,
    loadingState,
    refreshLoadState,
    loadedState,
    failedState,
    renderedState,
    expandedState
};
enum class BannerTransitionEvent {
    loadCalledEvent,
    loadSuccessEvent,
    loadFailureEvent,
    adExpandEvent,
    adCollapseEvent,
    adRefreshEvent
};

std::string_view caseName(BannerStateType state);
std::string_view caseName(BannerTransitionEvent event);

// The banner's lifecycle: loads, their results, expansion and the refresh wait. A load is refused
// while one runs and while the ad is expanded; a refresh waits only after a load result.
class BannerStateMachine final : public StateMachine<BannerStateType, BannerTransitionEvent> {
public:
    using StateMachine<BannerStateType, BannerTransitionEvent>::StateMachine;

protected:
    std::optional<BannerStateType> nextState(BannerTransitionEvent event, BannerStateType state) const override;
};

}  // namespace solen
