#pragma once

#include "Ad/Adapter/InternalAdapter/AdapterAdState.h"
#include "Ad/Adapter/InternalAdapter/Helper/AdLoadTimer.h"
#include "Ad/Adapter/InternalAdapter/Helper/AdRenderTimer.h"
#include "Ad/Adapter/InternalAdapter/InternalAdapterDelegate.h"
#include "Ad/Network/Models/AdFormat.h"
#include "Ad/Network/Models/Ads.h"
#include "Commons/Latency/LatencyInterval.h"
#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/SolenBaseAdAdapter.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

// What a bidder sees of the wrapper around one line item's network ad adapter: the shared load
// with its readiness check, load time-out, trackers and failure path, and the state of that one
// load. Made per line item by the bidder that owns it (the wrapper holds the bidder weakly and the
// network adapter strongly). Main thread only: every call, and every report to the bidder (the
// one exception is `loadFromGlobalQueue`, below; and the last reference may drop on any thread).
class InternalAdAdapter : public virtual AdLoadTimer {
public:
    // A load's line item once its load is under way: it no longer changes, so the blocks that read
    // it on other queues (the load step, the network's load, the trackers) share it uncopied.
    using SharedLineItem = std::shared_ptr<const std::optional<Ads>>;

    ~InternalAdAdapter() override = default;

    // The network ad adapter (always of the wrapper's format protocol).
    virtual std::shared_ptr<SolenBaseAdAdapter> solenAdAdapter() const = 0;
    // The owning bidder, while it exists.
    virtual std::shared_ptr<InternalAdapterDelegate> internaldelegate() const = 0;
    virtual AdFormat format() const = 0;

    virtual const LatencyInterval& networkLatency() const = 0;
    virtual const std::optional<Ads>& ad() const = 0;
    virtual const std::optional<AdapterAdConfiguration>& adConfiguration() const = 0;
    virtual AdapterAdState state() const = 0;

    // Loads the line item once: remembers it and the configuration, becomes `loading`, starts the
    // network latency, fires the `networkLoad` trackers, checks that the network's SDK adapter is
    // ready, starts the load timer and submits the network adapter's `load` to the global queue.
    // A readiness failure, or a time-out that is not positive, fails the load before this returns
    // (the bidder hears `adAdapterDidFail` from inside this call); otherwise exactly the network's
    // answers and the time-out reach the bidder, later, on the main thread.
    virtual void load(Ads ad, AdapterAdConfiguration adConfiguration, double timeoutInMilli) = 0;
    // The same load as the bidders run it, with a single hop: called on the global queue once the
    // line item's network was started for it, it first reads the bidder's `claim` on the load
    // (`InternalAdapterDelegate::loadClaim`), and when that has expired it only lets the wrapper
    // go on the main thread: no tracker, no network. Otherwise it checks the network's readiness,
    // hands the `networkLoad` trackers to the trackers' queue, and hands the line item, the
    // configuration, the start of the network latency and the load timer to the main thread; then,
    // unless the load fails at once, it calls the network adapter's `load` right here. On the main
    // thread the wrapper becomes `loading`. If the bidder still owns the load
    // (`InternalAdapterDelegate::ownsLoad`), the load timer starts, or the load fails there as
    // `load` would; the network's answers and the time-out follow on the main thread. If the
    // bidder let go after the claim was read (it is gone, a winner was set, it handed over), the
    // load is closed as one abandoned while loading: `networkNoFill` then `bidLoss` with
    // `objectDeallocated` (or the error of a load that failed at once), reported to nobody, and
    // the network's later answers change nothing. Reads nothing of the wrapper that a load
    // changes. `self` is the caller's reference to this wrapper: it goes to the main thread with
    // the load, so that the step itself never holds the last one. (A network adapter that keeps
    // its delegate for the whole of its `load()` may still drop the last reference on the global
    // queue, after the owner let go; the wrapper's destructor then runs there.) `ad` holds the
    // line item (shared, and no longer changed, by every block that reads it).
    virtual void loadFromGlobalQueue(std::shared_ptr<InternalAdAdapter> self, SharedLineItem ad,
                                     AdapterAdConfiguration adConfiguration, double timeoutInMilli,
                                     InternalAdapterDelegate::LoadClaim claim) = 0;
    // The network adapter's creative id; none when it has none or threw.
    virtual std::optional<std::string> creativeId() = 0;

    // Called by the owner before it lets the wrapper go. While `loading`, fails the load with
    // `objectDeallocated` (trackers, then the report); then stops every timer. Nothing is reported
    // in any other state, and the network's later callbacks change nothing. A wrapper released
    // without it while loading fires the same trackers and reports nothing, on the thread that
    // drops its last reference.
    virtual void abandon() = 0;
};

// The format tags, tested on a winning wrapper by the ad managers.
class InternalBannerAdapter : public virtual InternalAdAdapter {};
class InternalSplashAdapter : public virtual InternalAdAdapter {};
class InternalNativeAdapter : public virtual InternalAdAdapter {};
// The full-screen tags carry the render timer the show path starts.
class InternalInterstitialAdapter : public virtual InternalAdAdapter, public virtual AdRenderTimer {};
class InternalRewardedAdapter : public virtual InternalAdAdapter, public virtual AdRenderTimer {};

}  // namespace solen
