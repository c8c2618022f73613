#pragma once

#include "Ad/Adapter/InternalAdapter/Helper/AdTimeout.h"
#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"
#include "Commons/Utilities/MainQueue.h"
#include <solen/adapters/AdapterDelegate.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The one body of the five format wrappers (`BannerAdapter`, `SplashAdapter`, `NativeAdapter`,
// `InterstitialAdapter`, `RewardedAdapter`), which differ only in their network protocol, the
// bidder refinement their reports are gated on, and a few additions.
//
// The wrapper is its network adapter's delegate. Network callbacks may come from any thread, any
// number of times and in any state: each is logged and acted on, on the main thread, while the
// wrapper still exists and its owner has not let it go (a callback for a released or abandoned
// wrapper does nothing: its load was closed already). The load result goes to the bidder whatever
// its kind; every other report only when the bidder implements the format's refinement. The
// network's `load` runs on the global queue; everything else runs on main, except what
// `loadFromGlobalQueue` does before its hop (it reads only what the wrapper was made with, and the
// bidder's claim on the load), and the destructor.
//
// Release: the destructor calls no delegate. The owner calls `abandon()` before it lets go. The
// last reference may drop on any thread: a network adapter that keeps its delegate for the whole
// of its `load()` call drops it on the global queue when the owner let go first. The destructor
// then runs there: it closes a load still under way (its trackers leave) and stops the timers,
// and touches nothing that another thread still uses (blocks for main hold the wrapper weakly).
class AdapterWrapper : public virtual InternalAdAdapter,
                       public virtual AdapterDelegate,
                       public std::enable_shared_from_this<AdapterWrapper> {
public:
    ~AdapterWrapper() override;
    AdapterWrapper(const AdapterWrapper&) = delete;
    AdapterWrapper& operator=(const AdapterWrapper&) = delete;

    // The wrapper of `format` around `adapter`, reporting to `owner`; null when the adapter is
    // not of the format's protocol. `trackerManager` none: the process-wide one.
    static std::shared_ptr<InternalAdAdapter> create(AdFormat format, std::shared_ptr<SolenBaseAdAdapter> adapter,
                                                     std::weak_ptr<InternalAdapterDelegate> owner,
                                                     std::shared_ptr<TrackerManager> trackerManager = nullptr);

    // InternalAdAdapter
    std::shared_ptr<SolenBaseAdAdapter> solenAdAdapter() const override { return solenAdAdapter_; }
    std::shared_ptr<InternalAdapterDelegate> internaldelegate() const override { return internaldelegate_.lock(); }
    AdFormat format() const override { return format_; }
    const LatencyInterval& networkLatency() const override { return networkLatency_; }
    const std::optional<Ads>& ad() const override { return *ad_; }
    const std::optional<AdapterAdConfiguration>& adConfiguration() const override { return *adConfiguration_; }
    AdapterAdState state() const override { return state_; }
    void load(Ads ad, AdapterAdConfiguration adConfiguration, double timeoutInMilli) override;
    void loadFromGlobalQueue(std::shared_ptr<InternalAdAdapter> self, SharedLineItem ad, AdapterAdConfiguration adConfiguration,
                             double timeoutInMilli, InternalAdapterDelegate::LoadClaim claim) override;
    std::optional<std::string> creativeId() override;
    void abandon() override;

    // AdLoadTimer
    std::shared_ptr<TimeKeeper> adLoadTimer() const override { return loadTimeout_.keeper(); }
    void startAdLoadTimer(double withIntervalInMilli) override;
    void killAdTimer() override;
    // While loading: fails the load with `lineItemTimeout`; nothing in any other state.
    void timeoutFailure() override;

    // AdapterDelegate, from any thread.
    void adAdapterDidLoad(SolenBaseAdAdapter& adapter, std::shared_ptr<platform::View> adView) override;
    void adAdapterDidFailToLoad(SolenBaseAdAdapter& adapter, SolenAdapterError error) override;
    void adAdapterDidClick(SolenBaseAdAdapter& adapter) override;
    void userWillLeaveApplicationFrom(SolenBaseAdAdapter& adapter) override;
    void adAdapterWillPresentScreen(SolenBaseAdAdapter& adapter) override;
    void adAdapterDidPresentScreen(SolenBaseAdAdapter& adapter) override;
    void adAdapterWillDismissScreen(SolenBaseAdAdapter& adapter) override;
    void adAdapterDidDismissScreen(SolenBaseAdAdapter& adapter) override;
    void adapterDidAdImpression(SolenBaseAdAdapter& adapter) override;
    void adAdapterDidVideoEventOccurred(VideoEvent event) override;

protected:
    // True when the bidder implements the format's refinement.
    using Gate = bool (*)(const InternalAdapterDelegate& bidder);
    template <class Refinement>
    static bool implements(const InternalAdapterDelegate& bidder) {
        return dynamic_cast<const Refinement*>(&bidder) != nullptr;
    }

    AdapterWrapper(AdFormat format, Gate gate, std::shared_ptr<SolenBaseAdAdapter> adapter,
                   std::weak_ptr<InternalAdapterDelegate> owner, std::shared_ptr<TrackerManager> trackerManager);

    // Runs `work(AdapterWrapper&)` on the main thread, later, with the wrapper held for the call;
    // nothing when the wrapper is gone by then.
    template <class Work>
    void onMain(Work&& work) {
        performOnMainQueue([weak = weak_from_this(), work = std::forward<Work>(work)]() mutable {
            if (const auto wrapper = weak.lock(); wrapper && !wrapper->letGo_) {
                work(*wrapper);
            }
        });
    }
    // One debug line naming a network callback.
    static void logCallback(std::string_view name);
    // The bidder, when it still exists and passes the format's gate.
    std::shared_ptr<InternalAdapterDelegate> gatedDelegate() const;
    // Reports to the gated bidder, with this wrapper as the adapter; nothing without one.
    void reportGated(const std::function<void(InternalAdapterDelegate& bidder,
                                              const std::shared_ptr<InternalAdAdapter>& adapter)>& report);
    // A network callback that only logs and reports to the gated bidder, on the main thread.
    using GatedReport = void (InternalAdapterDelegate::*)(const std::shared_ptr<InternalAdAdapter>& adapter);
    void forwardGated(std::string_view callback, GatedReport report);
    // A wrapper's `create`: makes `Wrapper` around `adapter` (none without one) and sets it as the
    // adapter's delegate. The wrappers befriend this class for their constructors.
    template <class Wrapper, class Adapter>
    static std::shared_ptr<Wrapper> make(std::shared_ptr<Adapter> adapter, std::weak_ptr<InternalAdapterDelegate> owner,
                                         std::shared_ptr<TrackerManager> trackerManager) {
        if (!adapter) {
            return nullptr;
        }
        std::shared_ptr<Wrapper> wrapper(new Wrapper(adapter, std::move(owner), std::move(trackerManager)));
        adapter->setDelegate(wrapper);
        return wrapper;
    }
    // The answer of the bidder's view-controller query, made on the main thread (a caller on
    // another thread waits for it); none when the bidder is gone or not of `Refinement`.
    template <class Refinement>
    std::shared_ptr<platform::ViewController> modalViewController() {
        return answerOnMain([this]() -> std::shared_ptr<platform::ViewController> {
            const auto bidder = std::dynamic_pointer_cast<Refinement>(internaldelegate());
            return bidder ? bidder->viewControllerForModalPresentation() : nullptr;
        });
    }
    // Stops the wrapper's timers (the full-screen wrappers add their render timer).
    virtual void stopTimers();

private:
    std::shared_ptr<platform::ViewController> answerOnMain(
        const std::function<std::shared_ptr<platform::ViewController>()>& query) const;
    std::shared_ptr<InternalAdAdapter> self() { return shared_from_this(); }
    // A load's line item and configuration, which no longer change once its load started: shared
    // with the blocks that read them on other queues (the network's load, the trackers), so that
    // neither is copied for them.
    using SharedAd = SharedLineItem;
    using SharedConfiguration = std::shared_ptr<const std::optional<AdapterAdConfiguration>>;
    // The start of a load on the main thread: the line item, its configuration, `loading`, and the
    // network latency's start.
    void beginLoad(SharedAd ad, SharedConfiguration adConfiguration, LatencyInterval::TimePoint startedAt);
    // Why a load does not go to the network: the readiness error, or a time-out when the time-out
    // is not positive; none for a load that goes ahead.
    std::optional<SolenAdapterError> unsentLoadError(std::optional<SolenAdapterError> readinessError,
                                                     double timeoutInMilli) const;
    // Closes the load of a wrapper that its owner let go before the load reached main: `error`'s
    // trackers leave, nobody is told, and the network's later answers change nothing.
    void letGo(SolenAdapterError error);
    // Calls the network adapter's `load` on the calling thread (a block of the global queue); an
    // exception that escapes it fails the load on the main thread.
    static void callNetwork(const std::weak_ptr<AdapterWrapper>& wrapper, SolenBaseAdAdapter& adapter,
                            const AdapterAdConfiguration& configuration);
    // The shared failure path: state, timer, latency, `networkNoFill` then `bidLoss` trackers
    // (made and sent off the main thread), and the report when `report` is set.
    void fail(SolenAdapterError error, bool report);
    void didLoad(std::shared_ptr<platform::View> adView, LatencyInterval::TimePoint arrival);
    // Readiness of network `networkId`; none when its line item may load. Reads only what the
    // wrapper was made with: callable from any thread.
    std::optional<SolenAdapterError> networkReadiness(const std::string& networkId) const;
    SolenAdapterError objectDeallocatedError() const;
    SolenAdapterError lineItemTimeoutError() const;
    // The line item's list, when it has one that is not empty.
    const AdTrackers::UrlList* trackerList(AdTrackers::UrlList AdTrackers::*list) const;
    static const AdTrackers::UrlList* trackerList(const std::optional<Ads>& ad, AdTrackers::UrlList AdTrackers::*list);
    // Starts the load timer, with `made` (from `AdTimeout::make`) when given.
    void startLoadTimer(double milliseconds, std::shared_ptr<TimeKeeper> made);

    const AdFormat format_;
    const Gate gate_;
    const std::weak_ptr<InternalAdapterDelegate> internaldelegate_;
    const std::shared_ptr<SolenBaseAdAdapter> solenAdAdapter_;
    const AdTracker tracker_;
    AdTimeout loadTimeout_{AdTimeout::loadTexts};
    LatencyInterval networkLatency_;
    SharedAd ad_;                            // never null
    SharedConfiguration adConfiguration_;    // never null
    AdapterAdState state_ = AdapterAdState::initialised;
    bool letGo_ = false;  // the owner let go (`abandon`, or a load it no longer owned): callbacks do nothing
};

}  // namespace solen
