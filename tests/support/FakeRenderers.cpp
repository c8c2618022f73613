#include "support/FakeRenderers.h"

#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Commons/Utilities/Base64.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/adapters/SolenBaseInterstitialAdapter.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>

#include <mutex>

namespace solen::test {

struct FakeRenderers::State {
    mutable std::mutex mutex;
    Script script;
    std::vector<std::string> loads;
};

namespace {

template <class Protocol>
class FakeRenderer : public Protocol, public std::enable_shared_from_this<FakeRenderer<Protocol>> {
public:
    FakeRenderer(std::shared_ptr<FakeRenderers::State> state, std::string name) : state_(std::move(state)), name_(std::move(name)) {}

    void load(const AdapterAdConfiguration& configuration) override {
        const auto creative = std::dynamic_pointer_cast<const CreativeRenderingEngineData>(configuration.creativeModel);
        const std::string* encoded = creative && creative->adMarkup ? creative->adMarkup->pubContent.encodedAdMarkupString() : nullptr;
        const std::optional<std::string> markup = encoded ? base64Decode(*encoded) : std::nullopt;
        FakeRenderers::Script script;
        {
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->loads.push_back(name_ + ":" + markup.value_or("<undecodable>"));
            script = state_->script;
        }
        if (!markup) {
            script.failure = SolenAdapterError::invalidAdMarkup(SolenErrorData(*this, "The Ad markup is invalid", ""));
        }
        if (script.silent && markup) {
            return;
        }
        const auto weakSelf = this->weak_from_this();
        platform::DispatchQueue::main()->asyncAfterSeconds(script.delaySeconds, [weakSelf, failure = script.failure] {
            const auto self = weakSelf.lock();
            const auto delegate = self ? self->delegate() : nullptr;
            if (!delegate) {
                return;
            }
            if (failure) {
                delegate->adAdapterDidFailToLoad(*self, *failure);
            } else {
                delegate->adAdapterDidLoad(*self, platform::View::create());
            }
        });
    }
    std::optional<std::string> getCreativeId() override { return name_ + "-creative"; }

protected:
    std::shared_ptr<FakeRenderers::State> state_;
    std::string name_;
};

class FakeBannerRenderer final : public FakeRenderer<SolenBaseBannerAdapter> {
public:
    using FakeRenderer::FakeRenderer;
    std::shared_ptr<platform::View> getAdView() override { return nullptr; }
};

class FakeInterstitialRenderer final : public FakeRenderer<SolenBaseInterstitialAdapter> {
public:
    using FakeRenderer::FakeRenderer;
    bool isReady() override { return true; }
    void show(std::shared_ptr<platform::ViewController>) override {}
};

class FakeNativeRenderer final : public FakeRenderer<SolenBaseNativeAdapter> {
public:
    using FakeRenderer::FakeRenderer;
    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration>) override { return nullptr; }
    void adViewAttached(bool) override {}
};

template <class Renderer, class Protocol>
std::unique_ptr<platform::ClassRegistry::ScopedRegistration> registerRenderer(const std::string& name,
                                                                              const std::shared_ptr<FakeRenderers::State>& state) {
    return std::make_unique<platform::ClassRegistry::ScopedRegistration>(
        platform::ClassRegistry::Class::make<Renderer, SolenBaseAdAdapter, Protocol>(
            name, [state, name] { return std::make_shared<Renderer>(state, name); }));
}

}  // namespace

FakeRenderers::FakeRenderers() : FakeRenderers(Script()) {}

FakeRenderers::FakeRenderers(Script script) : state_(std::make_shared<State>()) {
    state_->script = std::move(script);
    registrations_.push_back(registerRenderer<FakeBannerRenderer, SolenBaseBannerAdapter>("S2sBannerAdapter", state_));
    registrations_.push_back(
        registerRenderer<FakeInterstitialRenderer, SolenBaseInterstitialAdapter>("S2sInterstitialAdapter", state_));
    registrations_.push_back(registerRenderer<FakeNativeRenderer, SolenBaseNativeAdapter>("S2sNativeAdapter", state_));
}

FakeRenderers::~FakeRenderers() = default;

void FakeRenderers::setScript(Script script) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->script = std::move(script);
}

std::vector<std::string> FakeRenderers::loads() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->loads;
}

}  // namespace solen::test
