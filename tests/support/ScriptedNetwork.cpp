#include "support/ScriptedNetwork.h"

#include <solen/adapters/CreativeData.h>
#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/adapters/SolenBaseInterstitialAdapter.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>
#include <solen/adapters/SolenBaseRewardedAdapter.h>
#include <solen/adapters/SolenBaseSDKAdapter.h>
#include <solen/adapters/SolenBaseSplashAdapter.h>

#include "Platform/Dispatch/MainLoop.h"

#include <map>
#include <type_traits>
#include <mutex>

namespace solen::test {

using Json = nlohmann::ordered_json;

struct ScriptedNetwork::State {
    std::string name;
    mutable std::mutex mutex;
    Script script;
    SdkInitializedResult startUpCell = SdkInitializedResult::success(false);
    std::vector<Call> calls;
    std::optional<AdapterAdConfiguration> lastLoad;
    std::map<AdFormat, std::weak_ptr<ScriptedAdAdapter>> lastAdapters;

    void record(std::string operation, Json arguments) {
        Call call{std::move(operation), std::move(arguments), std::this_thread::get_id(),
                  platform::MainLoop::shared().isMainThread()};
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(std::move(call));
    }
    Script currentScript() const {
        std::lock_guard<std::mutex> lock(mutex);
        return script;
    }
};

namespace {

void deliver(const ScriptedNetwork::Timing& timing, platform::DispatchBlock block) {
    if (timing.delaySeconds <= 0 && !timing.queue) {
        block();
        return;
    }
    const auto queue = timing.queue ? timing.queue : platform::DispatchQueue::global();
    if (timing.delaySeconds > 0) {
        queue->asyncAfterSeconds(timing.delaySeconds, std::move(block));
    } else {
        queue->async(std::move(block));
    }
}

Json configurationArguments(const AdapterSdkConfiguration& configuration) {
    return Json{{"networkConfig", configuration.networkConfig.value_or(Json())}};
}

class ScriptedSDKAdapter final : public SolenBaseSDKAdapter {
public:
    explicit ScriptedSDKAdapter(std::shared_ptr<ScriptedNetwork::State> state) : state_(std::move(state)) {}

    std::string networkSDKVersion() const override {
        state_->record("networkSDKVersion", Json::object());
        return state_->currentScript().networkSDKVersion;
    }
    std::string adapterVersion() const override {
        state_->record("adapterVersion", Json::object());
        return state_->currentScript().adapterVersion;
    }
    SdkInitializedResult sdkInitializedResult() const override {
        std::lock_guard<std::mutex> lock(state_->mutex);
        return state_->startUpCell;
    }
    void setSdkInitializedResult(SdkInitializedResult result) override {
        state_->record("setSdkInitializedResult", Json{{"ready", result.isReady()}});
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->startUpCell = std::move(result);
    }
    void initOnSDKInit(const AdapterSdkConfiguration& configuration, SdkInitializedResultHandler handler) override {
        state_->record("initOnSDKInit", configurationArguments(configuration));
        const ScriptedNetwork::Script script = state_->currentScript();
        if (!script.startUpResult) {
            return;  // never answers: the handler, and the adapter it owns, are released
        }
        deliver(script.startUpTiming, [handler = std::move(handler), result = *script.startUpResult] { handler(result); });
    }
    std::optional<SdkInitializedResult> initOnAdLoad(const AdapterSdkConfiguration& configuration) override {
        state_->record("initOnAdLoad", configurationArguments(configuration));
        const ScriptedNetwork::Script script = state_->currentScript();
        if (script.onInitOnAdLoad) {
            script.onInitOnAdLoad();
        }
        return script.adLoadResult;
    }
    std::optional<std::string> getBidToken(const AdapterSdkConfiguration& configuration) override {
        state_->record("getBidToken", configurationArguments(configuration));
        return state_->currentScript().bidToken;
    }

private:
    std::shared_ptr<ScriptedNetwork::State> state_;
};

// The format's own protocol on top of the shared scripted behaviour.
template <class Protocol>
class ScriptedFormatAdapter : public ScriptedAdAdapter, public Protocol {
public:
    using ScriptedAdAdapter::ScriptedAdAdapter;

protected:
    std::shared_ptr<AdapterDelegate> adapterDelegate() const override { return Protocol::delegate(); }
};

class ScriptedBannerAdapter final : public ScriptedFormatAdapter<SolenBaseBannerAdapter> {
public:
    using ScriptedFormatAdapter::ScriptedFormatAdapter;

    std::shared_ptr<platform::View> getAdView() override {
        record("getAdView");
        const auto answers = script().loadAnswers;
        return answers.empty() ? nullptr : answers.front().view;
    }
};

// Interstitial and rewarded: readiness and show.
template <class Protocol>
class ScriptedFullScreenAdapter : public ScriptedFormatAdapter<Protocol> {
public:
    using ScriptedFormatAdapter<Protocol>::ScriptedFormatAdapter;

    bool isReady() override {
        this->record("isReady");
        return this->script().ready;
    }
    void show(std::shared_ptr<platform::ViewController> viewController) override {
        this->record("show", Json{{"viewController", viewController != nullptr}});
        const ScriptedNetwork::Script script = this->script();
        const auto delegate = Protocol::delegate();
        if (!delegate || !script.presentsOnShow) {
            return;
        }
        if (script.showFailure) {
            delegate->adAdapterDidFailToPresent(*this, *script.showFailure);
            return;
        }
        this->reportPresentation();
        if constexpr (std::is_same_v<Protocol, SolenBaseRewardedAdapter>) {
            delegate->adAdapterRewardsUnlocked(*this, script.rewards);
        }
    }
};

class ScriptedNativeAdapter final : public ScriptedFormatAdapter<SolenBaseNativeAdapter> {
public:
    using ScriptedFormatAdapter::ScriptedFormatAdapter;

    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration> configuration) override {
        const bool hasTemplate = configuration && configuration->adTemplateClass;
        record("getAdView", Json{{"template", hasTemplate}});
        auto view = hasTemplate ? std::dynamic_pointer_cast<SolenNativeAdView>(configuration->adTemplateClass())
                                : std::make_shared<ScriptedNativeTemplateView>();
        if (const auto outlets = std::dynamic_pointer_cast<SolenNativeAdViewProtocol>(view)) {
            if (const auto title = outlets->nativeAdTitleTextLabel()) {
                title->setText(script().nativeTitle);
            }
        }
        return view;
    }
    void adViewAttached(bool attached) override { record("adViewAttached", Json{{"attached", attached}}); }
    void adViewFrameUpdated(platform::Rect frame) override {
        record("adViewFrameUpdated", Json::array({frame.origin.x, frame.origin.y, frame.size.width, frame.size.height}));
    }
};

class ScriptedSplashAdapter final : public ScriptedFormatAdapter<SolenBaseSplashAdapter> {
public:
    using ScriptedFormatAdapter::ScriptedFormatAdapter;

    std::shared_ptr<platform::View> getAdView(std::optional<SolenAdViewConfiguration> configuration) override {
        const bool hasTemplate = configuration && configuration->adTemplateClass;
        record("getAdView", Json{{"template", hasTemplate}});
        return hasTemplate ? configuration->adTemplateClass() : platform::View::create();
    }
};

template <class T, class Protocol>
std::unique_ptr<platform::ClassRegistry::ScopedRegistration> registerAdAdapter(
    std::string className, const std::shared_ptr<ScriptedNetwork::State>& state, AdFormat format) {
    using Registration = platform::ClassRegistry::ScopedRegistration;
    auto factory = [state, format]() -> std::shared_ptr<T> {
        auto adapter = std::make_shared<T>(state, format);
        std::lock_guard<std::mutex> lock(state->mutex);
        state->lastAdapters[format] = adapter;
        return adapter;
    };
    return std::make_unique<Registration>(
        platform::ClassRegistry::Class::make<T, SolenBaseAdAdapter, Protocol>(std::move(className), factory));
}

}  // namespace

ScriptedNetwork::ScriptedNetwork(std::string name, std::vector<AdFormat> formats)
    : ScriptedNetwork(std::move(name), std::move(formats), Script()) {}

ScriptedNetwork::ScriptedNetwork(std::string name, std::vector<AdFormat> formats, Script script,
                                 SdkInitializedResult initialResult)
    : state_(std::make_shared<State>()) {
    state_->name = std::move(name);
    state_->script = std::move(script);
    state_->startUpCell = std::move(initialResult);
    using Registration = platform::ClassRegistry::ScopedRegistration;
    const auto state = state_;
    registrations_.push_back(std::make_unique<Registration>(
        platform::ClassRegistry::Class::make<ScriptedSDKAdapter, SolenBaseSDKAdapter>(
            sdkAdapterClassName(), [state] { return std::make_shared<ScriptedSDKAdapter>(state); })));
    for (const AdFormat format : formats) {
        const std::string className = adAdapterClassName(format);
        switch (format) {
        case AdFormat::banner:
            registrations_.push_back(registerAdAdapter<ScriptedBannerAdapter, SolenBaseBannerAdapter>(className, state, format));
            break;
        case AdFormat::interstitial:
            registrations_.push_back(registerAdAdapter<ScriptedFullScreenAdapter<SolenBaseInterstitialAdapter>,
                                                       SolenBaseInterstitialAdapter>(className, state, format));
            break;
        case AdFormat::rewarded:
            registrations_.push_back(registerAdAdapter<ScriptedFullScreenAdapter<SolenBaseRewardedAdapter>,
                                                       SolenBaseRewardedAdapter>(className, state, format));
            break;
        case AdFormat::native:
            registrations_.push_back(registerAdAdapter<ScriptedNativeAdapter, SolenBaseNativeAdapter>(className, state, format));
            break;
        case AdFormat::splash:
            registrations_.push_back(registerAdAdapter<ScriptedSplashAdapter, SolenBaseSplashAdapter>(className, state, format));
            break;
        }
    }
}

ScriptedNetwork::~ScriptedNetwork() = default;

const std::string& ScriptedNetwork::name() const { return state_->name; }

std::string ScriptedNetwork::sdkAdapterClassName() const {
    return "Solen" + state_->name + "Adapter." + state_->name + "SDKAdapter";
}

std::string ScriptedNetwork::adAdapterClassName(AdFormat format) const {
    return "Solen" + state_->name + "Adapter." + state_->name + std::string(AdFormats::rawValue(format)) + "Adapter";
}

ScriptedNetwork::Script ScriptedNetwork::script() const { return state_->currentScript(); }

void ScriptedNetwork::setScript(Script script) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->script = std::move(script);
}

SdkInitializedResult ScriptedNetwork::sdkInitializedResult() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->startUpCell;
}

void ScriptedNetwork::setSdkInitializedResult(SdkInitializedResult result) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->startUpCell = std::move(result);
}

std::vector<ScriptedNetwork::Call> ScriptedNetwork::calls() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->calls;
}

std::vector<ScriptedNetwork::Call> ScriptedNetwork::calls(std::string_view name) const {
    std::vector<Call> matching;
    for (Call& call : calls()) {
        if (call.name == name) {
            matching.push_back(std::move(call));
        }
    }
    return matching;
}

std::size_t ScriptedNetwork::count(std::string_view name) const { return calls(name).size(); }

void ScriptedNetwork::clearCalls() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->calls.clear();
}

std::optional<AdapterAdConfiguration> ScriptedNetwork::lastLoadConfiguration() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->lastLoad;
}

std::shared_ptr<ScriptedAdAdapter> ScriptedNetwork::lastAdapter(AdFormat format) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto it = state_->lastAdapters.find(format);
    return it == state_->lastAdapters.end() ? nullptr : it->second.lock();
}

ScriptedAdAdapter::ScriptedAdAdapter(std::shared_ptr<ScriptedNetwork::State> state, AdFormat format)
    : state_(std::move(state)), format_(format) {}

void ScriptedAdAdapter::record(std::string name, nlohmann::ordered_json arguments) const {
    state_->record(std::move(name), std::move(arguments));
}

ScriptedNetwork::Script ScriptedAdAdapter::script() const { return state_->currentScript(); }

void ScriptedAdAdapter::load(const AdapterAdConfiguration& configuration) {
    const ScriptedNetwork::Script current = script();
    // Kept until `load` returns when the script holds the load: the wrapper's last reference may
    // then drop here, on the caller's thread.
    const auto held = current.onLoad ? adapterDelegate() : nullptr;
    Json size;
    if (configuration.adSize) {
        size = Json::array({configuration.adSize->width, configuration.adSize->height});
    }
    const auto creative = std::dynamic_pointer_cast<const CreativeData>(configuration.creativeModel);
    record("load", Json{{"lineItemConfig", configuration.lineItemConfig.value_or(Json())},
                        {"adSize", size},
                        {"adMarkup", creative && creative->adMarkup ? Json(*creative->adMarkup) : Json()},
                        {"creative", configuration.creativeModel != nullptr}});
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->lastLoad = configuration;
    }
    if (current.onLoad) {
        current.onLoad();
    }
    ScriptedNetwork::LoadScript load{current.loadAnswers, current.loadTiming};
    if (configuration.lineItemConfig && configuration.lineItemConfig->is_object()) {
        const auto id = configuration.lineItemConfig->find("lineItemId");
        if (id != configuration.lineItemConfig->end() && id->is_string()) {
            if (const auto it = current.lineItemLoads.find(id->get<std::string>()); it != current.lineItemLoads.end()) {
                load = it->second;
            }
        }
    }
    // Answers hold the adapter weakly: an adapter released by its owner answers nothing. They
    // leave in one block, so a scripted sequence (a failure, then a success) arrives in its order
    // even on the concurrent global queue.
    if (load.answers.empty()) {
        return;
    }
    const std::weak_ptr<ScriptedAdAdapter> weakSelf = weak_from_this();
    deliver(load.timing, [weakSelf, answers = load.answers] {
        for (const auto& answer : answers) {
            if (const auto self = weakSelf.lock()) {
                self->reportLoad(answer);
            }
        }
    });
}

std::optional<std::string> ScriptedAdAdapter::getCreativeId() {
    record("getCreativeId");
    return script().creativeId;
}

void ScriptedAdAdapter::reportLoad(const ScriptedNetwork::LoadAnswer& answer) {
    if (const auto delegate = adapterDelegate()) {
        if (answer.error) {
            delegate->adAdapterDidFailToLoad(*this, *answer.error);
        } else {
            delegate->adAdapterDidLoad(*this, answer.view);
        }
    }
}

void ScriptedAdAdapter::reportClick() {
    if (const auto delegate = adapterDelegate()) {
        delegate->adAdapterDidClick(*this);
    }
}

void ScriptedAdAdapter::reportImpression() {
    if (const auto delegate = adapterDelegate()) {
        delegate->adapterDidAdImpression(*this);
    }
}

void ScriptedAdAdapter::reportDismiss() {
    if (const auto delegate = adapterDelegate()) {
        delegate->adAdapterWillDismissScreen(*this);
        delegate->adAdapterDidDismissScreen(*this);
    }
}

void ScriptedAdAdapter::reportVideoEvent(VideoEvent event) {
    if (const auto delegate = adapterDelegate()) {
        delegate->adAdapterDidVideoEventOccurred(event);
    }
}

void ScriptedAdAdapter::reportPresentation() {
    const auto delegate = adapterDelegate();
    if (!delegate) {
        return;
    }
    delegate->adAdapterWillPresentScreen(*this);
    delegate->adAdapterDidPresentScreen(*this);
    delegate->adapterDidAdImpression(*this);
    for (const VideoEvent event : script().videoEvents) {
        delegate->adAdapterDidVideoEventOccurred(event);
    }
}

ScriptedNativeTemplateView::ScriptedNativeTemplateView()
    : title_(platform::Label::create()), icon_(platform::ImageView::create()), callToAction_(platform::Label::create()) {}

}  // namespace solen::test
