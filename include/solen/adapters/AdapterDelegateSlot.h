#pragma once

#include <solen/SolenExport.h>

#include <memory>
#include <mutex>
#include <utility>

namespace solen {

// The weakly held delegate of a format's ad adapter. The SDK sets it before `load`; the adapter
// reads it whenever it reports. Safe from any thread: a read returns a strong reference, or null
// once the delegate is gone.
template <class Delegate>
class SOLEN_EXPORT AdapterDelegateSlot {
public:
    void setDelegate(std::weak_ptr<Delegate> delegate) {
        std::lock_guard<std::mutex> lock(mutex_);
        delegate_ = std::move(delegate);
    }
    std::shared_ptr<Delegate> delegate() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return delegate_.lock();
    }

private:
    mutable std::mutex mutex_;
    std::weak_ptr<Delegate> delegate_;
};

}  // namespace solen
