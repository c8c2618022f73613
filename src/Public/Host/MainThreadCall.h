#pragma once

#include "Platform/Dispatch/MainLoop.h"

#include <optional>
#include <string_view>
#include <utility>

namespace solen::host {

// Host calls belong to the main thread. From another thread a call is logged and moved there: a
// report or a setter runs on a later turn of the loop, a query waits for the main thread's answer.
void runOnMain(std::string_view call, platform::DispatchBlock block);

// Logs that `call` came from another thread; false on the main thread (nothing logged).
bool offMainThread(std::string_view call);

template <class Query>
auto askMain(std::string_view call, Query query) -> decltype(query()) {
    if (!offMainThread(call)) {
        return query();
    }
    std::optional<decltype(query())> answer;
    platform::MainLoop::shared().sync([&] { answer.emplace(query()); });
    return std::move(*answer);
}

}  // namespace solen::host
