#include "support/RecordingBidder.h"

#include "Platform/Dispatch/MainLoop.h"

#include <utility>

namespace solen::test {

namespace {

// The bidder with every per-format refinement.
class FormatRecordingBidder final : public RecordingBidder,
                                    public InternalBannerAdapterDelegate,
                                    public InternalNativeAdapterDelegate,
                                    public InternalInterstitialAdapterDelegate,
                                    public InternalRewardedAdapterDelegate,
                                    public InternalSplashAdapterDelegate {
public:
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override {
        return answerViewController();
    }
    void adAdapterRewardedActionCompletedWith(const std::shared_ptr<InternalAdAdapter>& adapter,
                                              nlohmann::ordered_json reward) override {
        Report report = named("reward", adapter);
        report.reward = std::move(reward);
        record(std::move(report));
    }
};

}  // namespace

RecordingBidder::Report RecordingBidder::named(std::string name, const std::shared_ptr<InternalAdAdapter>& adapter) {
    Report report;
    report.name = std::move(name);
    report.adapter = adapter.get();
    return report;
}

std::string RecordingBidder::Report::summary() const {
    if (error) {
        return name + ":" + std::string(error->rawValue());
    }
    if (presentation && presentation->adError()) {
        return name + ":" + std::to_string(presentation->adError()->code());
    }
    return name;
}

std::shared_ptr<RecordingBidder> RecordingBidder::create(Interfaces interfaces) {
    if (interfaces == Interfaces::everyFormat) {
        return std::make_shared<FormatRecordingBidder>();
    }
    return std::shared_ptr<RecordingBidder>(new RecordingBidder());
}

void RecordingBidder::record(Report report) {
    report.onMainThread = platform::MainLoop::shared().isMainThread();
    std::shared_ptr<InternalAdAdapter> released;
    std::lock_guard<std::mutex> lock(mutex_);
    if (report.name == "didLoad" || report.name == "didFail") {
        released = std::move(releaseOnResult_);
    }
    reports_.push_back(std::move(report));
}

std::vector<RecordingBidder::Report> RecordingBidder::reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

std::vector<std::string> RecordingBidder::summaries() const {
    std::vector<std::string> result;
    for (const auto& report : reports()) {
        result.push_back(report.summary());
    }
    return result;
}

void RecordingBidder::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.clear();
}

void RecordingBidder::setViewController(std::shared_ptr<platform::ViewController> controller) {
    std::lock_guard<std::mutex> lock(mutex_);
    viewController_ = std::move(controller);
}

std::shared_ptr<platform::ViewController> RecordingBidder::answerViewController() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++viewControllerQueries_;
    return viewController_;
}

int RecordingBidder::viewControllerQueries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return viewControllerQueries_;
}

void RecordingBidder::releaseOnResult(std::shared_ptr<InternalAdAdapter> adapter) {
    std::lock_guard<std::mutex> lock(mutex_);
    releaseOnResult_ = std::move(adapter);
}

void RecordingBidder::setOwnsLoads(bool owns) {
    std::lock_guard<std::mutex> lock(mutex_);
    ownsLoads_ = owns;
}

bool RecordingBidder::ownsLoad(const InternalAdAdapter& /*adapter*/) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ownsLoads_;
}

void RecordingBidder::adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>& adapter,
                                       std::shared_ptr<platform::View> adView) {
    Report report = named("didLoad", adapter);
    report.view = std::move(adView);
    record(std::move(report));
}

void RecordingBidder::adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>& adapter, SolenAdapterError error) {
    Report report = named("didFail", adapter);
    report.error = std::move(error);
    record(std::move(report));
}

void RecordingBidder::adAdapterDidInteract(const std::shared_ptr<InternalAdAdapter>& adapter) {
    record(named("interact", adapter));
}

void RecordingBidder::userWillLeaveApplicationFrom(const std::shared_ptr<InternalAdAdapter>& adapter) {
    record(named("willLeave", adapter));
}

void RecordingBidder::adAdapterWillPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    record(named("willPresent", adapter));
}

void RecordingBidder::adAdapterDidPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    record(named("didPresent", adapter));
}

void RecordingBidder::adAdapterWillDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    record(named("willDismiss", adapter));
}

void RecordingBidder::adAdapterDidDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    record(named("didDismiss", adapter));
}

void RecordingBidder::adAdapterDidFailToPresentWith(const std::shared_ptr<InternalAdAdapter>& adapter,
                                                    PresentationError error) {
    Report report = named("failToPresent", adapter);
    if (const auto* adapterError = error.adapterError()) {
        report.error = *adapterError;
    }
    report.presentation = std::move(error);
    record(std::move(report));
}

void RecordingBidder::adapterDidAdImpression(const std::shared_ptr<InternalAdAdapter>& adapter) {
    record(named("impression", adapter));
}

}  // namespace solen::test
