#pragma once

#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Ad/Adapter/InternalAdapter/InternalAdapterDelegate.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace solen::test {

// A bidder that records every report a wrapper makes to it, with the thread it came on. Made with
// or without the five per-format refinements, so that a test can see the format gates: without
// them only the load result (`didLoad`, `didFail`) arrives. Thread-safe.
class RecordingBidder : public virtual InternalAdapterDelegate {
public:
    struct Report {
        std::string name;  // "didLoad", "didFail", "interact", "willLeave", "willPresent", "didPresent",
                           // "willDismiss", "didDismiss", "failToPresent", "impression", "reward"
        const InternalAdAdapter* adapter = nullptr;
        std::shared_ptr<platform::View> view;           // didLoad
        std::optional<SolenAdapterError> error;         // didFail; failToPresent with the network's error
        std::optional<PresentationError> presentation;  // failToPresent
        nlohmann::ordered_json reward;                  // reward
        bool onMainThread = false;

        // "didFail:NoFill", "failToPresent:RenderTimeout" (the AdError kind as its code), or the name.
        std::string summary() const;
    };

    enum class Interfaces { loadResultOnly, everyFormat };
    static std::shared_ptr<RecordingBidder> create(Interfaces interfaces = Interfaces::everyFormat);

    std::vector<Report> reports() const;
    // The summaries of the reports, in order.
    std::vector<std::string> summaries() const;
    void clear();

    // What the view-controller queries answer (and how many were asked).
    void setViewController(std::shared_ptr<platform::ViewController> controller);
    std::shared_ptr<platform::ViewController> answerViewController();
    int viewControllerQueries() const;

    // A wrapper to let go of when it reports its load result, as a bidder might.
    void releaseOnResult(std::shared_ptr<InternalAdAdapter> adapter);
    // Whether the loads handed over are still this bidder's when they reach main (true at first);
    // false: as a bidder that has set a winner or handed over.
    void setOwnsLoads(bool owns);
    bool ownsLoad(const InternalAdAdapter& adapter) const override;

    void adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>& adapter, std::shared_ptr<platform::View> adView) override;
    void adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>& adapter, SolenAdapterError error) override;
    void adAdapterDidInteract(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void userWillLeaveApplicationFrom(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterWillPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterDidPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterWillDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterDidDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) override;
    void adAdapterDidFailToPresentWith(const std::shared_ptr<InternalAdAdapter>& adapter, PresentationError error) override;
    void adapterDidAdImpression(const std::shared_ptr<InternalAdAdapter>& adapter) override;

protected:
    RecordingBidder() = default;
    static Report named(std::string name, const std::shared_ptr<InternalAdAdapter>& adapter);
    void record(Report report);

private:
    mutable std::mutex mutex_;
    std::vector<Report> reports_;
    std::shared_ptr<platform::ViewController> viewController_;
    int viewControllerQueries_ = 0;
    std::shared_ptr<InternalAdAdapter> releaseOnResult_;
    bool ownsLoads_ = true;
};

}  // namespace solen::test
