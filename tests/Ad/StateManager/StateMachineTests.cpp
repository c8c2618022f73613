#include "Ad/StateManager/BannerStateMachine.h"
#include "Ad/StateManager/InterstitialStateMachine.h"
#include "Ad/StateManager/NativeStateMachine.h"
#include "Ad/StateManager/S2sNativeStateMachine.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace solen {
namespace {

// One machine's table as rows of (event, accepted in, leads to), by case name.
struct Row {
    std::string event;
    std::set<std::string> acceptedIn;
    std::string leadsTo;
};

// Feeds every event to a machine started in every state and compares with the table: a refusal
// returns the current state and leaves it; an acceptance returns the previous state, moves to the
// row's state and logs the change line (a same-state move too).
template <class Machine, class State, class Event>
void checkEveryPair(int stateCount, int eventCount, const std::vector<Row>& table) {
    std::map<std::string, const Row*> rows;
    for (const Row& row : table) rows[row.event] = &row;
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(eventCount));
    for (int s = 0; s < stateCount; ++s) {
        for (int e = 0; e < eventCount; ++e) {
            const auto state = static_cast<State>(s);
            const auto event = static_cast<Event>(e);
            const Row& row = *rows.at(std::string(caseName(event)));
            const bool expected = row.acceptedIn.count(std::string(caseName(state))) > 0;
            test::LogCapture log;
            Machine machine(state);
            const auto [accepted, reported] = machine.process(event);
            const std::string pair = std::string(caseName(state)) + " + " + std::string(caseName(event));
            EXPECT_EQ(accepted, expected) << pair;
            EXPECT_EQ(reported, state) << pair;
            EXPECT_EQ(caseName(machine.currentState()), expected ? row.leadsTo : std::string(caseName(state))) << pair;
            EXPECT_EQ(log.count("StateMachine: Changing the state to " + row.leadsTo), expected ? 1u : 0u) << pair;
        }
    }
    EXPECT_EQ(Machine().currentState(), State::createdState);
}

TEST(StateMachineTests, EveryStateAndEventPairFollowsItsMachinesTable) {
    checkEveryPair<BannerStateMachine, BannerStateType, BannerTransitionEvent>(
        7, 6,
        {{"loadCalledEvent", {"createdState", "refreshLoadState", "loadedState", "failedState", "renderedState"}, "loadingState"},
         {"loadSuccessEvent", {"loadingState"}, "loadedState"},
         {"loadFailureEvent", {"createdState", "loadingState"}, "failedState"},
         {"adExpandEvent", {"refreshLoadState", "loadedState"}, "expandedState"},
         {"adCollapseEvent", {"expandedState"}, "loadedState"},
         {"adRefreshEvent", {"loadedState", "failedState"}, "refreshLoadState"}});
    // A failed presentation leaves the interstitial loadable again.
    checkEveryPair<InterstitialStateMachine, InterstitialState, InterstitialTransitionEvent>(
        7, 7,
        {{"loadCalledEvent", {"createdState", "loadedState", "failedState", "dismissState"}, "loadingState"},
         {"loadSuccessEvent", {"loadingState"}, "loadedState"},
         {"loadFailureEvent", {"loadingState"}, "failedState"},
         {"adShowEvent", {"loadedState"}, "showCalledState"},
         {"adPresentedEvent", {"showCalledState"}, "adPresentedState"},
         {"adPresentFailedEvent", {"showCalledState"}, "failedState"},
         {"adDismissedEvent", {"adPresentedState"}, "dismissState"}});
    checkEveryPair<NativeStateMachine, NativeState, NativeTransitionEvent>(
        6, 6,
        {{"loadCalledEvent", {"createdState", "loadedState", "failedState", "showCalledState"}, "loadingState"},
         {"loadSuccessEvent", {"loadingState"}, "loadedState"},
         {"loadFailureEvent", {"createdState", "loadingState"}, "failedState"},
         {"adShowEvent", {"loadedState", "showCalledState"}, "showCalledState"},
         {"adExpandEvent", {"showCalledState"}, "expandedState"},
         {"adCollapseEvent", {"expandedState"}, "showCalledState"}});
    checkEveryPair<S2sNativeStateMachine, S2sNativeState, S2sNativeTransitionEvent>(
        4, 3,
        {{"loadCalledEvent", {"createdState"}, "loadingState"},
         {"loadSuccessEvent", {"loadingState"}, "loadedState"},
         {"loadFailureEvent", {"createdState", "loadingState"}, "failedState"}});
}

}  // namespace
}  // namespace solen
