#include "Ad/Adapter/InternalAdapter/Helper/AdTimeout.h"

#include "Commons/Utilities/DecimalText.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"

#include <string>
#include <utility>

namespace solen {

std::shared_ptr<TimeKeeper> AdTimeout::make(double milliseconds) {
    auto keeper = TimeKeeper::create(milliseconds / 1000);
    keeper->timer();  // the dispatch timer, with its deadline
    return keeper;
}

void AdTimeout::start(double milliseconds, std::weak_ptr<const void> owner, std::function<void()> onExpiry,
                      std::shared_ptr<TimeKeeper> made) {
    if (keeper_) {
        kill();
    }
    const double seconds = milliseconds / 1000;
    const std::uint64_t generation = ++generation_;
    keeper_ = made ? std::move(made) : TimeKeeper::create(seconds);
    // The handler runs on the global queue: it only hops to main, where the owner's state lives.
    keeper_->setEventHandler([this, owner = std::move(owner), generation, onExpiry = std::move(onExpiry)] {
        performOnMainQueue([this, owner, generation, onExpiry] {
            const auto alive = owner.lock();
            if (!alive || generation != generation_) {
                return;
            }
            Logger::debug(texts_.expired);
            onExpiry();
        });
    });
    keeper_->resume();
    if (Logger::logLevel() >= 5) {  // composed only when debug lines are produced
        Logger::debug(std::string(texts_.created) + DecimalText::number(seconds));
    }
}

void AdTimeout::kill() {
    disarm();
    suspendDisarmed();
}

void AdTimeout::disarm() {
    if (!keeper_) {
        return;
    }
    ++generation_;
    if (disarmed_ != keeper_ && keeper_->state() == TimeKeeper::State::resumed) {
        disarmed_ = keeper_;
        Logger::debug(texts_.suspended);
    }
}

void AdTimeout::suspendDisarmed() {
    if (const auto keeper = std::exchange(disarmed_, nullptr)) {
        keeper->suspend();
    }
}

}  // namespace solen
