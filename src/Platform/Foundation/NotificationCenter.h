#pragma once

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace solen::platform {

struct Notification {
    std::string name;
    std::shared_ptr<void> sender;           // may be null ("any sender")
    std::map<std::string, std::any> userInfo;
};

// Notification centre. Observers are called synchronously on the posting thread, in the order they
// were added. Each observer has an owner held weakly: once the owner is gone the observer is
// skipped and dropped. `removeObserver(owner)` removes every observer of that owner;
// `removeObserver(owner, name)` only those for one name. Observers may add or remove observers,
// and post, from inside a callback.
class NotificationCenter {
public:
    using Callback = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // `sender` null observes any sender; otherwise only notifications posted with that sender.
    void addObserver(const std::shared_ptr<const void>& owner, const std::string& name, Callback callback,
                     const std::shared_ptr<const void>& sender = nullptr);
    void removeObserver(const void* owner);
    void removeObserver(const void* owner, const std::string& name);

    void post(const Notification& notification);
    void post(const std::string& name, std::shared_ptr<void> sender = nullptr);

    // Number of live observers for a name (tests).
    std::size_t observerCount(const std::string& name) const;

private:
    struct Entry;
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace solen::platform
