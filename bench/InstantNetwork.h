#pragma once

// A network adapter package for the auction benchmarks that costs next to nothing: its SDK is
// started, and its banner adapter answers every load inside the call, filling only the line item
// whose "lineItemId" setting is the chosen winner, with no bookkeeping. Registered under the
// adapter name "Instant" while an `InstantNetwork` lives.
#include "Platform/Foundation/ClassRegistry.h"

#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/AdapterDelegate.h>
#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/adapters/SolenSDKAdapter.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace solen::bench {

class InstantSDKAdapter final : public SolenSDKAdapter<InstantSDKAdapter> {
public:
    static SdkInitializedResult initialSdkInitializedResult() { return SdkInitializedResult::success(true); }
    std::string networkSDKVersion() const override { return "1.0"; }
    std::string adapterVersion() const override { return "1.0.0"; }
    void initOnSDKInit(const AdapterSdkConfiguration&, SdkInitializedResultHandler handler) override {
        handler(SdkInitializedResult::success(true));
    }
    std::optional<SdkInitializedResult> initOnAdLoad(const AdapterSdkConfiguration&) override { return std::nullopt; }
};

class InstantBannerAdapter final : public SolenBaseBannerAdapter {
public:
    // The line item that fills; every other one reports no fill.
    static std::string& winner() {
        static std::string id;
        return id;
    }

    void load(const AdapterAdConfiguration& configuration) override {
        const auto delegate = this->delegate();
        if (!delegate) return;
        const auto& settings = configuration.lineItemConfig;
        const auto id = settings ? settings->find("lineItemId") : nlohmann::ordered_json::const_iterator();
        if (settings && id != settings->end() && id->is_string() && id->get_ref<const std::string&>() == winner()) {
            view_ = std::make_shared<platform::View>();
            delegate->adAdapterDidLoad(*this, view_);
        } else {
            static const SolenAdapterError noFill = SolenAdapterError::noFill(SolenErrorData::ofClass("Instant", "no ad", "later"));
            delegate->adAdapterDidFailToLoad(*this, noFill);
        }
    }
    std::optional<std::string> getCreativeId() override { return creativeId_; }
    std::shared_ptr<platform::View> getAdView() override { return view_; }

private:
    const std::optional<std::string> creativeId_ = "creative";
    std::shared_ptr<platform::View> view_;  // made by a fill
};

class InstantNetwork {
public:
    explicit InstantNetwork(std::string winner) { InstantBannerAdapter::winner() = std::move(winner); }

private:
    using Registration = platform::ClassRegistry::ScopedRegistration;
    Registration sdk_ = Registration::of<InstantSDKAdapter, SolenBaseSDKAdapter>("SolenInstantAdapter.InstantSDKAdapter");
    Registration banner_ = Registration::of<InstantBannerAdapter, SolenBaseAdAdapter, SolenBaseBannerAdapter>(
        "SolenInstantAdapter.InstantBannerAdapter");
};

}  // namespace solen::bench
