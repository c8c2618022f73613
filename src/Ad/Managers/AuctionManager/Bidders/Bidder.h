#pragma once

#include "Ad/Adapter/InternalAdapter/InternalAdapterDelegate.h"
#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"
#include "Ad/Managers/AuctionManager/Bidders/AdBidderDelegate.h"
#include "Ad/Network/Models/AdFormat.h"
#include "Ad/Network/Models/AdSetting.h"
#include "Ad/Network/Models/Ads.h"
#include "Commons/Configs/AdapterConfig.h"
#include "Commons/Latency/LatencyInterval.h"
#include "Commons/Trackers/TrackerData.h"

#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/CreativeDataModelProtocol.h>
#include <solen/adapters/SolenAdapterError.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen {

struct AdapterSettings;

// What the three bidders of an auction share: the fields the auction reads, and the operations that
// turn one line item into a loading format wrapper around its network's ad adapter. A bidder is
// created by the auction for one batch of line items, reports to it through `AdBidderDelegate`
// (held weakly) and owns the wrappers it creates; each wrapper owns its network adapter.
//
// Main thread only, except the load step (`loadAdapter`), which runs on the global default queue
// and touches only process-wide services, what its wrapper was made with and its copy of the
// bidder's load claim before the wrapper's load reaches the main thread.
//
// The wrappers' presentation, interaction, reward and impression reports are handled here alike
// for every bidder: only the reports of `winnerBidder` go on to the auction. Load results are each
// bidder's own.
class Bidder : public InternalBannerAdapterDelegate,
               public InternalInterstitialAdapterDelegate,
               public InternalRewardedAdapterDelegate,
               public InternalNativeAdapterDelegate,
               public InternalSplashAdapterDelegate,
               public std::enable_shared_from_this<Bidder> {
public:
    ~Bidder() override;
    Bidder(const Bidder&) = delete;
    Bidder& operator=(const Bidder&) = delete;

    LatencyInterval& renderLatency() { return renderLatency_; }
    std::shared_ptr<AdBidderDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<AdBidderDelegate> delegate) { delegate_ = std::move(delegate); }
    // The adapter that won or, for the one-item bidders, the adapter being loaded.
    const std::shared_ptr<InternalAdAdapter>& winnerBidder() const { return winnerBidder_; }
    void setWinnerBidder(std::shared_ptr<InternalAdAdapter> adapter) { winnerBidder_ = std::move(adapter); }
    const AdSetting& adSetting() const { return *adSetting_; }

    // Starts loading the batch. Every outcome is reported later through the delegate, or by the
    // bidder's own move to the next batch.
    virtual void load(std::vector<Ads> lineItems) = 0;

    // The ad-format configuration's window size and server-to-server render time-out for `adType`
    // (the interstitial's for rewarded), read now.
    struct FormatSettings {
        std::int64_t windowBatchSize = 0;
        double s2sRenderTimeOut = 0;
    };
    static FormatSettings formatSettings(AdFormat adType);

    // The class name of network `adapterName`'s ad adapter of `adType`:
    // "Solen" + N + "Adapter." + N + format word + "Adapter"; none for an invalid adapter name.
    static std::optional<std::string> adAdapterClassName(const std::string& adapterName, AdFormat adType);

    // A new wrapper of `adType` around a new instance of the class registered under exactly
    // `adapterClassName`, with this bidder as its delegate. None when the class is missing (logged
    // by the lookup) or does not conform to the format's base adapter.
    std::shared_ptr<InternalAdAdapter> makeInternalAdapter(const std::string& adapterClassName, AdFormat adType);
    // The wrapper for a line item of network `networkId`; none (logged at level 2) when the network
    // is not registered or its adapter class cannot be made.
    std::shared_ptr<InternalAdAdapter> createAdapter(const std::string& networkId, AdFormat adType);
    // The same with the network's registration already read (none: not registered).
    std::shared_ptr<InternalAdAdapter> createAdapter(const AdapterSettings* network, const std::string& networkId,
                                                     AdFormat adType);

    // The load time-out of a line item in milliseconds: its own `timeout` unless absent or 0, else
    // its registered network's; none (logged) when neither exists.
    static std::optional<double> getLineItemLoadTimeInterval(const Ads& lineItem);
    // The same with the registration of the line item's network already read (none: not registered).
    static std::optional<double> getLineItemLoadTimeInterval(const Ads& lineItem, const AdapterSettings* network);

    // Hands the wrapper's load to the global default queue and returns at once; the submitted unit
    // keeps the wrapper alive until the load step ran. The outcome comes back through the wrapper.
    void scheduleAdapterLoad(std::shared_ptr<InternalAdAdapter> adapter, Ads&& lineItem, double timeoutInMilli);

    // One adapter load as handed to the global queue (the bidder's setting shared, not copied).
    struct AdapterLoad {
        std::shared_ptr<InternalAdAdapter> adapter;
        std::shared_ptr<const std::optional<Ads>> lineItem;  // the line item, never empty
        std::shared_ptr<const AdSetting> adSetting;
        double timeoutInMilli = 0;
        LoadClaim claim;           // the bidder's claim on its loads (`loadClaim`)
        AdTracker::Held trackers;  // held back on main until this step; sent first
    };
    // The load step, on the global default queue: builds the adapter configuration, starts the
    // line item's network for ad loading when it is registered, then runs the wrapper's load from
    // there (`loadFromGlobalQueue`: unless the bidder's claim has expired, because it is gone or
    // has abandoned its loads, the network is asked at once, and the load reaches the main thread
    // in one hop, where a load that the bidder has let go since is closed with its trackers and
    // reported to nobody).
    static void loadAdapter(AdapterLoad load);

    // What a line item's network adapter receives: its `lineItemMeta` and its network's
    // `adapterMeta` when they are JSON objects, the placement's size, and the creative model.
    static AdapterAdConfiguration adapterConfiguration(const Ads& lineItem, const std::optional<AdapterConfig>& network,
                                                       const AdSetting& adSetting);
    // The creative handed to the adapter: none without a creative or for markup type `default`;
    // for `encodedS2s` markup text, the decoded markup (strict base64, then UTF-8; absent when
    // either fails) for a header-bidding network, else the whole creative for the SDK's renderers;
    // none for a native model under `encodedS2s`; the whole creative for `native`.
    static std::shared_ptr<const CreativeDataModelProtocol> creativeModel(const Ads& lineItem,
                                                                          const std::optional<AdapterConfig>& network);

    // Fires the line item's `networkNoFill` trackers for a line item that never got an adapter:
    // drop reason and descriptor of `error`, network latency "0", the rest empty.
    static void fireNetworkNoFillTrackers(const Ads& lineItem, const SolenAdapterError& error);
    // The `AdapterNotFound` error of a line item whose adapter cannot be made, raised by this bidder.
    SolenAdapterError adapterNotFoundError(const Ads& lineItem) const;

    // Fire `urls` when present and not empty, as tracker kind `kind` or with the substitutions given.
    static void fireTrackers(const AdTrackers::UrlList& urls, const Trackers& kind);
    static void fireTrackers(const AdTrackers::UrlList& urls, const std::vector<TrackerData>& with);

    // The winner's reports, passed on to the auction (a report of any other wrapper is dropped).
    // Will-present stamps the end of `renderLatency` first; an impression fires the winner's
    // `impression` trackers with its creative id and the render latency first.
    void adAdapterDidInteract(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void userWillLeaveApplicationFrom(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterWillPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterDidPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterWillDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterDidDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterDidFailToPresentWith(const std::shared_ptr<InternalAdAdapter>& adapter, PresentationError error) override;
    void adapterDidAdImpression(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterRewardedActionCompletedWith(const std::shared_ptr<InternalAdAdapter>& adapter,
                                              nlohmann::ordered_json reward) override;
    // Asked through the auction of its own delegate; none when either link is gone.
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;

protected:
    Bidder(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting);

    // Whether the load step may still start `adapter`'s load on the main thread: a load the bidder
    // has let go (a winner was set, or it handed over) is closed instead. One that lets
    // all its loads go also gives up its load claim (`abandonLoads`), so that the steps that have
    // not read it yet ask no network.
    bool ownsLoad(const InternalAdAdapter& adapter) const override = 0;

    // The printed user info of `error` at info level (composed only when such lines are produced).
    static void logUserInfo(const SolenAdapterError& error);

    // Hands over once this bidder's line items are exhausted: the auction's next batch goes to a new
    // bidder, or, with nothing left, the auction ends as no fill.
    void moveToNextBatch();

    // Whether `adapter` is this bidder's `winnerBidder`.
    bool isWinner(const std::shared_ptr<InternalAdAdapter>& adapter) const;
    // `report`, when `adapter` is the winner.
    template <class Report>
    void forwardFromWinner(const std::shared_ptr<InternalAdAdapter>& adapter, Report&& call) {
        if (isWinner(adapter)) {
            report(std::forward<Report>(call));
        }
    }

    // Runs `report` on the delegate while this bidder is kept alive (the auction may drop it
    // inside the call); nothing when the delegate is gone.
    template <class Report>
    void report(Report&& call) {
        const std::shared_ptr<Bidder> self = shared_from_this();
        if (const auto auction = delegate()) {
            call(*auction);
        }
    }


private:
    LatencyInterval renderLatency_;
    std::weak_ptr<AdBidderDelegate> delegate_;
    std::shared_ptr<InternalAdAdapter> winnerBidder_;
    const std::shared_ptr<const AdSetting> adSetting_;  // never null
    std::weak_ptr<InternalAdapterDelegate> ownerLink_;  // this bidder, as its wrappers' owner
};

}  // namespace solen
