#pragma once

#include "Commons/Utilities/Logger.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace solen {

// The lifecycle guard of one ad object: a fixed table of which events each state accepts and where
// they lead. Owners feed it an event before they act on a load, an auction result or a
// presentation callback, and drop (and log) what it refuses. A specialisation binds the two
// enumerations and overrides `nextState` with its table; the case names of its enumerations come
// from `caseName` overloads found next to them.
//
// Not synchronised: it belongs to its owner's thread (the main thread for the ad managers).
// The case name of `value` in a list of names in declaration order.
template <class Enum, std::size_t count>
std::string_view caseNameIn(const std::string_view (&names)[count], Enum value) {
    const auto index = static_cast<std::size_t>(value);
    return index < count ? names[index] : std::string_view("unknown");
}

template <class State, class Event>
class StateMachine {
public:
    // Whether the event was taken, and the state the machine was in when it arrived (on a refusal
    // also the state it is still in).
    struct Outcome {
        bool accepted = false;
        State state;
    };

    // Every owner starts in `createdState`; tests start anywhere.
    explicit StateMachine(State initial = State::createdState) : currentState_(initial) {}
    virtual ~StateMachine() = default;

    State currentState() const { return currentState_; }

    // Looks the event up in the table: a refusal changes nothing and logs nothing; a transition
    // (also to the same state) logs the new state and moves to it.
    Outcome process(Event event) {
        const State previous = currentState_;
        const std::optional<State> next = nextState(event, previous);
        if (!next) {
            return {false, previous};
        }
        Logger::debug("StateMachine: Changing the state to " + std::string(caseName(*next)));
        currentState_ = *next;
        return {true, previous};
    }

protected:
    // One row of a table: the event, the states that accept it (one bit per state) and where it
    // leads.
    struct Transition {
        Event event;
        std::uint32_t acceptedIn;
        State leadsTo;
    };

    static constexpr std::uint32_t states(std::initializer_list<State> list) {
        std::uint32_t bits = 0;
        for (const State state : list) bits |= 1u << static_cast<unsigned>(state);
        return bits;
    }
    static std::optional<State> lookUp(std::span<const Transition> table, Event event, State state) {
        for (const Transition& row : table) {
            if (row.event == event) {
                if (row.acceptedIn & (1u << static_cast<unsigned>(state))) return row.leadsTo;
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    // The table; the base machine has no transition.
    virtual std::optional<State> nextState(Event, State) const { return std::nullopt; }

private:
    State currentState_;
};

}  // namespace solen
