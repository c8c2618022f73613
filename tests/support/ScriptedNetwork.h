#pragma once

#include <solen/SolenNativeAdView.h>
#include <solen/SolenNativeAdViewProtocol.h>
#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/AdapterDelegate.h>
#include <solen/adapters/SdkInitializedResult.h>
#include <solen/adapters/SolenAdapterError.h>
#include <solen/adapters/SolenBaseAdAdapter.h>
#include <solen/adapters/VideoEvent.h>

#include "Ad/Network/Models/AdFormat.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/ClassRegistry.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace solen::test {

class ScriptedAdAdapter;

// A fake ad network registered for the length of a test: the SDK adapter
// "Solen" + N + "Adapter." + N + "SDKAdapter" and the ad adapters of the chosen formats
// ("Solen" + N + "Adapter." + N + "BannerAdapter", ...), found by name like a linked adapter
// package. What the network's code answers comes from a script; every call into it is recorded
// with its arguments and thread. The network has one start-up cell of its own, shared by all its
// SDK adapter instances. Thread-safe: the script may be changed while calls arrive.
class ScriptedNetwork {
public:
    struct Call {
        std::string name;  // the operation: "initOnSDKInit", "load", "show", "adViewAttached", ...
        nlohmann::ordered_json arguments = nlohmann::ordered_json::object();
        std::thread::id thread;
        bool onMainThread = false;
    };

    // Where and when an answer is made: inline in the call (no delay, no queue), else on `queue`
    // (the global queue when none) after `delaySeconds` on the shared clock.
    struct Timing {
        double delaySeconds = 0;
        std::shared_ptr<platform::DispatchQueue> queue;
    };

    struct LoadAnswer {
        std::shared_ptr<platform::View> view;    // the loaded ad's view (may be null)
        std::optional<SolenAdapterError> error;  // set: the load failed

        static LoadAnswer loaded(std::shared_ptr<platform::View> view = nullptr) { return {std::move(view), {}}; }
        static LoadAnswer failed(SolenAdapterError error) { return {nullptr, std::move(error)}; }
    };

    // How one load answers: each answer in turn (none: silent; a second one: what the adapter
    // reports after its first outcome), made with `timing`.
    struct LoadScript {
        std::vector<LoadAnswer> answers;
        Timing timing;
    };

    struct Script {
        std::string networkSDKVersion = "1.0.0";
        std::string adapterVersion = "1.0.0.0";
        // Start-up: the result given to the handler (none: the handler is dropped uncalled).
        std::optional<SdkInitializedResult> startUpResult = SdkInitializedResult::success(true);
        Timing startUpTiming;
        std::optional<SdkInitializedResult> adLoadResult;  // what initOnAdLoad returns
        // Run first in each `initOnAdLoad`, on the caller's thread: a test can hold there a
        // bidder's load step that starts the network, before the step reaches the wrapper.
        std::function<void()> onInitOnAdLoad;
        std::optional<std::string> bidToken;
        // Run first in each ad adapter's `load`, on the caller's thread, while the adapter holds its
        // delegate (the wrapper) until `load` returns, as networks that keep their delegate for the
        // whole call do: a test can hold a load there after the network was asked.
        std::function<void()> onLoad;
        // Load: each answer in turn (none: no answer; two: two answers), made with `loadTiming`.
        std::vector<LoadAnswer> loadAnswers = {LoadAnswer::loaded()};
        Timing loadTiming;
        // Per line item, by the "lineItemId" member of the load's `lineItemConfig`: replaces the two
        // above for that line item's loads.
        std::map<std::string, LoadScript> lineItemLoads;
        std::optional<std::string> creativeId = "creative-1";
        bool ready = true;
        // Show: presents (will/did present, impression, the video events, then the reward of a
        // rewarded ad), or fails to present with `showFailure`.
        std::optional<SolenAdapterError> showFailure;
        bool presentsOnShow = true;  // false: show is recorded and nothing else happens
        std::vector<VideoEvent> videoEvents;
        nlohmann::ordered_json rewards = {{"type", "coins"}, {"amount", 5}};
        // Native: the text put into the title outlet of the view handed out.
        std::string nativeTitle = "Scripted title";
    };

    // The start-up cell starts at `initialResult`.
    ScriptedNetwork(std::string name, std::vector<AdFormat> formats);
    ScriptedNetwork(std::string name, std::vector<AdFormat> formats, Script script,
                    SdkInitializedResult initialResult = SdkInitializedResult::success(false));
    ~ScriptedNetwork();
    ScriptedNetwork(const ScriptedNetwork&) = delete;
    ScriptedNetwork& operator=(const ScriptedNetwork&) = delete;

    const std::string& name() const;
    std::string sdkAdapterClassName() const;
    std::string adAdapterClassName(AdFormat format) const;

    Script script() const;
    void setScript(Script script);

    // The network's start-up cell.
    SdkInitializedResult sdkInitializedResult() const;
    void setSdkInitializedResult(SdkInitializedResult result);

    std::vector<Call> calls() const;
    std::vector<Call> calls(std::string_view name) const;
    std::size_t count(std::string_view name) const;
    void clearCalls();

    // The configuration of the latest load.
    std::optional<AdapterAdConfiguration> lastLoadConfiguration() const;
    // The latest ad adapter of the format, while something still owns it.
    std::shared_ptr<ScriptedAdAdapter> lastAdapter(AdFormat format) const;

    struct State;

private:
    std::shared_ptr<State> state_;
    std::vector<std::unique_ptr<platform::ClassRegistry::ScopedRegistration>> registrations_;
};

// The part of every scripted ad adapter a test drives by hand: reports made through the adapter's
// current delegate, from the calling thread (nothing happens without a delegate).
class ScriptedAdAdapter : public virtual SolenBaseAdAdapter, public std::enable_shared_from_this<ScriptedAdAdapter> {
public:
    ScriptedAdAdapter(std::shared_ptr<ScriptedNetwork::State> state, AdFormat format);

    AdFormat format() const { return format_; }

    void load(const AdapterAdConfiguration& configuration) override;
    std::optional<std::string> getCreativeId() override;

    void reportLoad(const ScriptedNetwork::LoadAnswer& answer);
    void reportClick();
    void reportImpression();
    void reportDismiss();  // will and did dismiss
    void reportVideoEvent(VideoEvent event);

protected:
    virtual std::shared_ptr<AdapterDelegate> adapterDelegate() const = 0;
    void record(std::string name, nlohmann::ordered_json arguments = nlohmann::ordered_json::object()) const;
    ScriptedNetwork::Script script() const;
    // Will and did present, impression, the script's video events.
    void reportPresentation();

    std::shared_ptr<ScriptedNetwork::State> state_;

private:
    AdFormat format_;
};

// A native template view that offers three of the eight outlets: title, icon and call to action
// (kept by the view, not laid out in it).
class ScriptedNativeTemplateView : public SolenNativeAdView, public SolenNativeAdViewProtocol {
public:
    ScriptedNativeTemplateView();

    std::shared_ptr<platform::Label> nativeAdTitleTextLabel() const override { return title_; }
    std::shared_ptr<platform::ImageView> nativeAdIconImageView() const override { return icon_; }
    std::shared_ptr<platform::Label> nativeAdCallToActionTextLabel() const override { return callToAction_; }

private:
    std::shared_ptr<platform::Label> title_;
    std::shared_ptr<platform::ImageView> icon_;
    std::shared_ptr<platform::Label> callToAction_;
};

}  // namespace solen::test
