#pragma once

#include <solen/adapters/SolenBaseSDKAdapter.h>

#include <mutex>
#include <utility>

namespace solen {

// Base for a network's SDK adapter class: keeps the class's start-up state in one mutex-guarded
// cell that every instance of `Derived` shares. `Derived` declares the state the cell starts with:
//
//   class ExampleSDKAdapter : public solen::SolenSDKAdapter<ExampleSDKAdapter> {
//   public:
//       static solen::SdkInitializedResult initialSdkInitializedResult() {
//           return solen::SdkInitializedResult::success(false);
//       }
//       ...
//   };
//
// Reads return a copy; a write replaces the value. Safe from any thread, also during exit.
template <class Derived>
class SolenSDKAdapter : public SolenBaseSDKAdapter {
public:
    SdkInitializedResult sdkInitializedResult() const override { return classSdkInitializedResult(); }
    void setSdkInitializedResult(SdkInitializedResult result) override { setClassSdkInitializedResult(std::move(result)); }

    // The same state without an instance.
    static SdkInitializedResult classSdkInitializedResult() {
        Cell& c = cell();
        std::lock_guard<std::mutex> lock(c.mutex);
        return c.value;
    }
    static void setClassSdkInitializedResult(SdkInitializedResult result) {
        Cell& c = cell();
        std::lock_guard<std::mutex> lock(c.mutex);
        c.value = std::move(result);
    }

private:
    struct Cell {
        std::mutex mutex;
        SdkInitializedResult value;
    };
    // Never destroyed: start-up answers and lookups on other threads may still reach it while the
    // process exits.
    static Cell& cell() {
        static Cell* instance = new Cell{{}, Derived::initialSdkInitializedResult()};
        return *instance;
    }
};

}  // namespace solen
