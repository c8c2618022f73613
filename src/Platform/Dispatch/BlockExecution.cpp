#include "Platform/Dispatch/BlockExecution.h"

#include "Commons/Utilities/Logger.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace solen::platform {
namespace {

thread_local std::vector<const DispatchQueue*> tRunningQueues;

// Calls `work`; an escaping exception is logged with the text `describe()` gives.
template <typename Describe>
void runCatching(const std::function<void()>& work, const Describe& describe) {
    try {
        work();
    } catch (const std::exception& error) {
        Logger::applicationError("Uncaught exception in " + describe() + ": " + error.what());
    } catch (...) {
        Logger::applicationError("Uncaught exception of unknown type in " + describe());
    }
}

class RunningQueueMark {
public:
    explicit RunningQueueMark(const DispatchQueue& queue) { tRunningQueues.push_back(&queue); }
    ~RunningQueueMark() { tRunningQueues.pop_back(); }
    RunningQueueMark(const RunningQueueMark&) = delete;
    RunningQueueMark& operator=(const RunningQueueMark&) = delete;
};

}  // namespace

void BlockExecution::run(const DispatchQueue& queue, const DispatchBlock& block) {
    if (!block) {
        return;
    }
    RunningQueueMark mark(queue);
    // The description is only built when a block throws: blocks are the hot path of every hop.
    runCatching(block, [&queue] { return "a block on queue \"" + queue.label() + "\""; });
}

void BlockExecution::catching(const std::function<void()>& work, std::string_view what) {
    runCatching(work, [what] { return std::string(what); });
}

bool BlockExecution::isRunning(const DispatchQueue& queue) {
    return std::find(tRunningQueues.begin(), tRunningQueues.end(), &queue) != tRunningQueues.end();
}

}  // namespace solen::platform
