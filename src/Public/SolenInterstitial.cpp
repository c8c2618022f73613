#include "Ad/Managers/Manager/InterstitialAdManager.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/UI/Screen.h"
#include "Public/HiddenImpl.h"
#include "Public/Host/MainThreadCall.h"

#include <solen/SolenInterstitial.h>

#include <sstream>

namespace solen {

// The ad object's side of its manager: each ordinary report becomes one main-queue block that
// finds the object (held weakly) and its delegate; the reward and the presentation failure come
// already hopped by the manager and are delivered at once, so every delegate call is one hop after
// its event and none overtakes another.
struct SOLEN_HIDDEN_IMPL SolenInterstitial::Impl final : InterstitialAdMangerDelegate {
    std::weak_ptr<SolenInterstitial> interstitial;
    std::weak_ptr<SolenInterstitialDelegate> delegate;
    AdSetting adSetting;
    std::shared_ptr<InterstitialAdManager> adManger;

    // `call` receives the object and its delegate; nothing when either is gone.
    template <class Call>
    static void deliverNow(const std::weak_ptr<SolenInterstitial>& weakInterstitial, const char* name, Call& call) {
        const auto object = weakInterstitial.lock();
        if (!object) return;
        Logger::debug(name);
        if (const auto current = object->impl_->delegate.lock()) call(*object, *current);
    }
    template <class Call>
    void deliver(const char* name, Call call) {
        performOnMainQueue([weakInterstitial = interstitial, name, call = std::move(call)]() mutable {
            deliverNow(weakInterstitial, name, call);
        });
    }

    void adManagerDidFinishLoading(AdManager&, std::shared_ptr<platform::View>) override {
        deliver("adManagerDidFinishLoading", [](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialDidLoad(object);
        });
    }
    void adManagerDidFailToLoadWith(AdManager&, const AdError& error) override {
        deliver("adManagerDidFailToLoadWith", [error = error.toError()](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialDidFailToLoad(object, error);
        });
    }
    void adManagerDidInteract(AdManager&) override {
        deliver("adManagerDidInteract", [](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialDidClick(object, std::nullopt);
        });
    }
    void userWillLeaveApplicationFrom(AdManager&) override {
        deliver("userWillLeaveApplicationFrom", [](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialUserWillLeaveApplication(object);
        });
    }
    void adManagerWillPresentScreen(AdManager&) override {
        deliver("adManagerWillPresentScreen", [](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialWillDisplay(object);
        });
    }
    void adManagerDidPresentScreen(AdManager&) override {
        deliver("adManagerDidPresentScreen", [](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialDidDisplay(object);
        });
    }
    void adManagerWillDismissScreen(AdManager&) override {
        deliver("adManagerWillDismissScreen", [](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialWillDismiss(object);
        });
    }
    void adManagerDidDismissScreen(AdManager&) override {
        deliver("adManagerDidDismissScreen", [](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialDidDismiss(object);
        });
    }
    void adManagerDidAdImpression(AdManager&, std::optional<nlohmann::ordered_json> impressionData) override {
        deliver("adManagerDidAdImpression", [impressionData](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialImpression(object, impressionData);
        });
    }
    void adManagerRewardedActionCompletedWith(AdManager&, nlohmann::ordered_json rewards) override {
        auto call = [&rewards](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenRewardsUnlocked(object, rewards);
        };
        deliverNow(interstitial, "adManagerRewardedActionCompletedWith", call);
    }
    void adManagerDidFailToPresentWith(AdManager&, const PresentationError& error) override {
        auto call = [error = error.toError()](SolenInterstitial& object, SolenInterstitialDelegate& to) {
            to.solenInterstitialDidFailToDisplay(object, error);
        };
        deliverNow(interstitial, "adManagerDidFailToPresentWith", call);
    }
};

std::shared_ptr<SolenInterstitial> SolenInterstitial::create(std::optional<std::string> adUnitId,
                                                             std::shared_ptr<SolenInterstitialDelegate> delegate) {
    std::shared_ptr<SolenInterstitial> object(new SolenInterstitial());
    Impl& impl = *object->impl_;
    impl.interstitial = object;
    impl.delegate = delegate;
    impl.adSetting.adType = AdFormat::interstitial;
    impl.adSetting.adUnitId = std::move(adUnitId);
    const platform::Rect screen = platform::Screen::main().bounds();
    impl.adSetting.adSize = AdSetting::Size{screen.size.width, screen.size.height};
    impl.adManger = InterstitialAdManager::create(object->impl_);
    return object;
}

SolenInterstitial::SolenInterstitial() : impl_(std::make_shared<Impl>()) {}

SolenInterstitial::~SolenInterstitial() {
    std::ostringstream description;
    description << "<SolenInterstitial: " << static_cast<const void*>(this) << ">";
    Logger::debug("SolenInterstitial deinit " + description.str());
    impl_->adManger.reset();
}

std::shared_ptr<SolenInterstitialDelegate> SolenInterstitial::delegate() const {
    return host::askMain("SolenInterstitial::delegate", [this] { return impl_->delegate.lock(); });
}

void SolenInterstitial::setDelegate(const std::shared_ptr<SolenInterstitialDelegate>& delegate) {
    host::askMain("SolenInterstitial::setDelegate", [this, delegate] {
        impl_->delegate = delegate;
        return true;
    });
}

std::optional<std::string> SolenInterstitial::adUnitId() const {
    return host::askMain("SolenInterstitial::adUnitId", [this] { return impl_->adSetting.adUnitId; });
}

void SolenInterstitial::setAdUnitId(std::optional<std::string> adUnitId) {
    host::askMain("SolenInterstitial::setAdUnitId", [this, &adUnitId] {
        impl_->adSetting.adUnitId = std::move(adUnitId);
        return true;
    });
}

bool SolenInterstitial::isReady() const {
    return host::askMain("SolenInterstitial::isReady", [this] { return impl_->adManger && impl_->adManger->isReady(); });
}

void SolenInterstitial::load() {
    // Holds the object weakly, so a load moved to main for an object released meanwhile does nothing.
    host::runOnMain("SolenInterstitial::load", [weakImpl = std::weak_ptr<Impl>(impl_)] {
        const auto impl = weakImpl.lock();
        if (impl && impl->adManger) impl->adManger->loadAd(impl->adSetting);
    });
}

void SolenInterstitial::show(std::shared_ptr<platform::ViewController> viewController) {
    host::runOnMain("SolenInterstitial::show", [weakImpl = std::weak_ptr<Impl>(impl_), viewController] {
        const auto impl = weakImpl.lock();
        if (impl && impl->adManger) impl->adManger->show(viewController);
    });
}

}  // namespace solen
