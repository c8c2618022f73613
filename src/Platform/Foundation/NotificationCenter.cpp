#include "Platform/Foundation/NotificationCenter.h"

#include "Commons/Utilities/Logger.h"

#include <algorithm>
#include <atomic>
#include <exception>

namespace solen::platform {

struct NotificationCenter::Entry {
    std::weak_ptr<const void> owner;
    const void* ownerAddress = nullptr;
    std::string name;
    Callback callback;
    bool hasSender = false;
    std::weak_ptr<const void> sender;
    std::atomic<bool> removed{false};
};

namespace {

// Same object: same control block, whatever pointer type each side was made from.
bool sameOwner(const std::weak_ptr<const void>& lhs, const std::shared_ptr<void>& rhs) {
    return !lhs.owner_before(rhs) && !rhs.owner_before(lhs);
}

}  // namespace

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed: observers may be removed from destructors that run at exit.
    static auto* center = new NotificationCenter();
    return *center;
}

void NotificationCenter::addObserver(const std::shared_ptr<const void>& owner, const std::string& name,
                                     Callback callback, const std::shared_ptr<const void>& sender) {
    if (!owner || !callback) {
        return;
    }
    auto entry = std::make_shared<Entry>();
    entry->owner = owner;
    entry->ownerAddress = owner.get();
    entry->name = name;
    entry->callback = std::move(callback);
    entry->hasSender = sender != nullptr;
    entry->sender = sender;

    std::lock_guard<std::mutex> lock(mutex_);
    // Drop observers whose owners are gone, so that the list does not grow without bound.
    std::erase_if(entries_, [](const std::shared_ptr<Entry>& existing) { return existing->owner.expired(); });
    entries_.push_back(std::move(entry));
}

void NotificationCenter::removeObserver(const void* owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(entries_, [owner](const std::shared_ptr<Entry>& entry) {
        if (entry->ownerAddress != owner) {
            return false;
        }
        entry->removed = true;
        return true;
    });
}

void NotificationCenter::removeObserver(const void* owner, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(entries_, [owner, &name](const std::shared_ptr<Entry>& entry) {
        if (entry->ownerAddress != owner || entry->name != name) {
            return false;
        }
        entry->removed = true;
        return true;
    });
}

void NotificationCenter::post(const Notification& notification) {
    std::vector<std::shared_ptr<Entry>> matching;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& entry : entries_) {
            if (entry->name != notification.name) {
                continue;
            }
            if (entry->hasSender && (!notification.sender || !sameOwner(entry->sender, notification.sender))) {
                continue;
            }
            matching.push_back(entry);
        }
    }
    // No lock is held while observers run: they may add, remove and post.
    for (const auto& entry : matching) {
        if (entry->removed) {
            continue;  // removed by an earlier observer of this same post
        }
        const auto owner = entry->owner.lock();
        if (!owner) {
            continue;
        }
        try {
            entry->callback(notification);
        } catch (const std::exception& failure) {
            Logger::error("Observer of " + notification.name + " failed: " + failure.what());
        } catch (...) {
            Logger::error("Observer of " + notification.name + " failed");
        }
    }
}

void NotificationCenter::post(const std::string& name, std::shared_ptr<void> sender) {
    post(Notification{name, std::move(sender), {}});
}

std::size_t NotificationCenter::observerCount(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&name](const auto& entry) {
        return entry->name == name && !entry->owner.expired();
    }));
}

}  // namespace solen::platform

