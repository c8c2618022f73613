#pragma once

#include "Ad/Managers/Manager/NativeAdManager.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Public/Host/MainThreadCall.h"

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>

namespace solen {

// The delegate calls of one public ad class served by the native ad manager (the native ad and
// the splash), one member of its delegate per manager report.
template <class Ad, class Delegate>
struct NativeAdCalls {
    void (Delegate::*didLoad)(Ad&);
    void (Delegate::*didLoadFail)(Ad&, const platform::Error&);
    void (Delegate::*didClick)(Ad&, const nlohmann::ordered_json&);
    void (Delegate::*impression)(Ad&, const std::optional<nlohmann::ordered_json>&);
    void (Delegate::*willPresentScreen)(Ad&);
    void (Delegate::*didPresentScreen)(Ad&);
    void (Delegate::*willCollapseScreen)(Ad&);
    void (Delegate::*didCollapseScreen)(Ad&);
    void (Delegate::*userWillLeaveApplication)(Ad&);
};

// What the native ad and the splash share: the ad's setting, its manager and the manager's side,
// where each report becomes one main-queue block that finds the ad (held weakly) and its delegate,
// or does nothing. `Ad::Impl` derives from it and gives `calls`.
template <class Ad, class Delegate>
struct NativeAdObject : NativeAdManagerDelegate {
    std::weak_ptr<Ad> ad;
    std::weak_ptr<Delegate> delegate;
    AdSetting adSetting;
    std::shared_ptr<NativeAdManager> adManger;
    const NativeAdCalls<Ad, Delegate>& calls;

    explicit NativeAdObject(const NativeAdCalls<Ad, Delegate>& delegateCalls) : calls(delegateCalls) {}

    void setUp(const std::shared_ptr<NativeAdObject>& self, const std::shared_ptr<Ad>& object, AdFormat format,
               std::string adUnitId, platform::Size adSize, const std::shared_ptr<Delegate>& adDelegate) {
        ad = object;
        delegate = adDelegate;
        adSetting.adType = format;
        adSetting.adUnitId = std::move(adUnitId);
        adSetting.adSize = AdSetting::Size{adSize.width, adSize.height};
        adManger = NativeAdManager::create(std::static_pointer_cast<AdManagerDelegate>(self));
    }

    void tearDown(const void* object, const char* className) {
        std::ostringstream description;
        description << "<" << className << ": " << object << ">";
        Logger::debug(std::string(className) + " deinit " + description.str());
        adManger.reset();
    }

    std::shared_ptr<Delegate> currentDelegate(const char* call) const {
        return host::askMain(call, [this] { return delegate.lock(); });
    }
    void setDelegate(const char* call, const std::shared_ptr<Delegate>& newDelegate) {
        host::askMain(call, [this, newDelegate] {
            delegate = newDelegate;
            return true;
        });
    }
    platform::Size adSize(const char* call) const {
        return host::askMain(call, [this] {
            const auto& size = adSetting.adSize;
            return size ? platform::Size{size->width, size->height} : platform::Size{};
        });
    }
    std::string adUnitId(const char* call) const {
        return host::askMain(call, [this] { return adSetting.adUnitId.value_or(""); });
    }
    // Holds the object weakly, so a load moved to main for an object released meanwhile does nothing.
    static void load(const char* call, const std::shared_ptr<NativeAdObject>& self) {
        host::runOnMain(call, [weakSelf = std::weak_ptr<NativeAdObject>(self)] {
            const auto current = weakSelf.lock();
            if (current && current->adManger) current->adManger->loadAd(current->adSetting);
        });
    }
    std::shared_ptr<platform::View> getAdView(const char* call, SolenAdViewConfiguration configuration) {
        return host::askMain(call, [this, &configuration] {
            return adManger ? adManger->getNativeAdView(std::move(configuration)) : nullptr;
        });
    }

    template <class... Args>
    void deliver(const char* name, void (Delegate::*member)(Ad&, const Args&...), std::type_identity_t<Args>... args) {
        performOnMainQueue([weakAd = ad, this, name, member, args...] {
            const auto object = weakAd.lock();
            if (!object) return;
            // The ad owns this object, so it lives while the ad does.
            Logger::debug(name);
            if (const auto current = delegate.lock()) ((*current).*member)(*object, args...);
        });
    }

    void adManagerDidFinishLoading(AdManager&, std::shared_ptr<platform::View>) override {
        deliver("adManagerDidFinishLoading", calls.didLoad);
    }
    void adManagerDidFailToLoadWith(AdManager&, const AdError& error) override {
        deliver("adManagerDidFailToLoadWith", calls.didLoadFail, error.toError());
    }
    void adManagerDidInteract(AdManager&) override {
        deliver("adManagerDidInteract", calls.didClick, nlohmann::ordered_json::object());
    }
    void userWillLeaveApplicationFrom(AdManager&) override {
        deliver("userWillLeaveApplicationFrom", calls.userWillLeaveApplication);
    }
    void adManagerWillPresentScreen(AdManager&) override {
        deliver("adManagerWillPresentScreen", calls.willPresentScreen);
    }
    void adManagerDidPresentScreen(AdManager&) override {
        deliver("adManagerDidPresentScreen", calls.didPresentScreen);
    }
    void adManagerWillDismissScreen(AdManager&) override {
        deliver("adManagerWillDismissScreen", calls.willCollapseScreen);
    }
    void adManagerDidDismissScreen(AdManager&) override {
        deliver("adManagerDidDismissScreen", calls.didCollapseScreen);
    }
    void adManagerDidAdImpression(AdManager&, std::optional<nlohmann::ordered_json> impressionData) override {
        deliver("adManagerDidAdImpression", calls.impression, impressionData);
    }
    std::shared_ptr<platform::ViewController> viewControllerForNativeFullScreen() override {
        if constexpr (requires(Delegate& d) { d.viewControllerForSolenFullScreen(); }) {
            const auto current = delegate.lock();
            return current ? current->viewControllerForSolenFullScreen() : nullptr;
        } else {
            return nullptr;
        }
    }
};

}  // namespace solen
