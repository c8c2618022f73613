#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/adapters/SolenBaseInterstitialAdapter.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>
#include <solen/adapters/SolenBaseRewardedAdapter.h>
#include <solen/adapters/SolenBaseSDKAdapter.h>
#include <solen/adapters/SolenBaseSplashAdapter.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace solen {

// One class of an adapter package as the SDK finds it: its exact name and, for each adapter
// protocol the class conforms to, how to make a new instance as that protocol. The SDK makes the
// network's SDK adapter under "Solen" + N + "Adapter." + N + "SDKAdapter" and its ad adapters
// under "Solen" + N + "Adapter." + N + "BannerAdapter" ("InterstitialAdapter", "RewardedAdapter",
// "NativeAdapter", "SplashAdapter"), where N is the network's adapter name in the mediation
// configuration: 1 to 64 ASCII letters, digits or "_".
struct SOLEN_EXPORT AdapterClass {
    std::string name;
    std::function<std::shared_ptr<SolenBaseSDKAdapter>()> sdkAdapter;
    std::function<std::shared_ptr<SolenBaseBannerAdapter>()> bannerAdapter;
    std::function<std::shared_ptr<SolenBaseInterstitialAdapter>()> interstitialAdapter;
    std::function<std::shared_ptr<SolenBaseRewardedAdapter>()> rewardedAdapter;
    std::function<std::shared_ptr<SolenBaseNativeAdapter>()> nativeAdapter;
    std::function<std::shared_ptr<SolenBaseSplashAdapter>()> splashAdapter;

    // `T`, default-constructed, as every adapter protocol it derives from.
    template <class T>
    static AdapterClass of(std::string name) {
        static_assert(std::is_default_constructible_v<T>, "an adapter class is made without arguments");
        AdapterClass result;
        result.name = std::move(name);
        maker<T>(result.sdkAdapter);
        maker<T>(result.bannerAdapter);
        maker<T>(result.interstitialAdapter);
        maker<T>(result.rewardedAdapter);
        maker<T>(result.nativeAdapter);
        maker<T>(result.splashAdapter);
        return result;
    }

private:
    template <class T, class Protocol>
    static void maker(std::function<std::shared_ptr<Protocol>()>& slot) {
        if constexpr (std::is_base_of_v<Protocol, T>) {
            slot = [] { return std::shared_ptr<Protocol>(std::make_shared<T>()); };
        }
    }
};

// Makes the class findable by its name from now on. Refused (false, with an error line) when the
// name is empty, the class conforms to no adapter protocol or the name is already registered (the
// first registration stays). Adapter packages call it through SOLEN_REGISTER_ADAPTER when their
// library loads. Callable from any thread; a factory may be called from any thread, and may throw
// (the lookup then finds nothing).
SOLEN_EXPORT bool registerAdapterClass(AdapterClass adapterClass);

// Loads an adapter package that the application does not link, by the path of its shared
// library; the library's registrations run as it loads and it stays loaded. Call it before
// `Solen::initialize`, so that the start-up of the configured networks finds the classes. False,
// with the loader's message in `error` (when given) and an error line, when the library cannot be
// loaded. Callable from any thread.
SOLEN_EXPORT bool loadAdapterModule(const std::string& path, std::string* error = nullptr);

}  // namespace solen

#define SOLEN_ADAPTER_REGISTRATION_CONCAT_INNER(a, b) a##b
#define SOLEN_ADAPTER_REGISTRATION_CONCAT(a, b) SOLEN_ADAPTER_REGISTRATION_CONCAT_INNER(a, b)

// At namespace scope in an adapter package: registers TYPE under NAME (the exact class name) when
// the program or library is loaded.
//   SOLEN_REGISTER_ADAPTER("SolenAcmeAdapter.AcmeSDKAdapter", AcmeSDKAdapter);
#define SOLEN_REGISTER_ADAPTER(NAME, TYPE)                                                             \
    namespace {                                                                                        \
    [[maybe_unused]] const bool SOLEN_ADAPTER_REGISTRATION_CONCAT(solenRegisteredAdapter_, __LINE__) = \
        ::solen::registerAdapterClass(::solen::AdapterClass::of<TYPE>(NAME));                          \
    }                                                                                                  \
    static_assert(true, "")
