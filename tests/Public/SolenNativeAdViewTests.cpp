#include <solen/SolenAdViewConfiguration.h>
#include <solen/SolenNativeAdView.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "Public/SolenNativeAdViewDelegate.h"
#include "support/LogCapture.h"
#include "support/ScopedApplication.h"
#include "support/ScriptedNetwork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace solen {
namespace {

using platform::MainLoop;
using platform::Rect;
using ::testing::ElementsAre;

// Stands in for the SDK's native wrapper: the view's way to the network adapter.
class WrapperStandIn final : public SolenNativeAdViewDelegate {
public:
    explicit WrapperStandIn(std::shared_ptr<SolenBaseNativeAdapter> adapter) : adapter_(std::move(adapter)) {}
    std::shared_ptr<SolenBaseNativeAdapter> solenAdAdapter() const override { return adapter_; }

private:
    std::shared_ptr<SolenBaseNativeAdapter> adapter_;
};

class ThrowingNativeAdapter final : public SolenBaseNativeAdapter {
public:
    void load(const AdapterAdConfiguration&) override {}
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration>) override { return nullptr; }
    void adViewAttached(bool) override { throw std::runtime_error("attach failed"); }
    void adViewFrameUpdated(Rect) override { throw 7; }
};

class SolenNativeAdViewTest : public ::testing::Test {
protected:
    void TearDown() override { MainLoop::shared().runUntilIdle(); }

    // "<operation> <arguments>" of each call the adapter received, all on the main thread.
    std::vector<std::string> forwarded() const {
        std::vector<std::string> result;
        for (const auto& call : network.calls()) {
            EXPECT_TRUE(call.onMainThread) << call.name;
            result.push_back(call.name + " " + call.arguments.dump());
        }
        return result;
    }

    test::ScopedApplication app;
    test::ScriptedNetwork network{"Acme", {AdFormat::native}};
};

TEST_F(SolenNativeAdViewTest, TellsTheAdapterBehindItOfAttachmentAndDrawingInARealWindow) {
    const auto adapter = platform::ClassRegistry::shared()
                             .lookup("SolenAcmeAdapter.AcmeNativeAdapter")
                             ->create<SolenBaseNativeAdapter>();
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->getAdView(SolenAdViewConfiguration{[] { return platform::View::create(); }}), nullptr)
        << "a template that is not a native ad view gives none";
    const auto view = adapter->getAdView(
        SolenAdViewConfiguration{SolenAdViewConfiguration::templateOf<test::ScriptedNativeTemplateView>()});
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::dynamic_pointer_cast<test::ScriptedNativeTemplateView>(view)->nativeAdTitleTextLabel()->text(),
              "Scripted title");

    const auto wrapper = std::make_shared<WrapperStandIn>(adapter);
    view->setDelegate(wrapper);
    view->setFrame(Rect(10, 20, 300, 250));
    const auto window = app.showKeyWindow();
    MainLoop::shared().runUntilIdle();
    network.clearCalls();

    window->addSubview(view);
    EXPECT_THAT(forwarded(), ElementsAre(R"(adViewAttached {"attached":true})"));
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(forwarded(), ElementsAre(R"(adViewAttached {"attached":true})", "adViewFrameUpdated [0.0,0.0,300.0,250.0]"));

    network.clearCalls();
    view->removeFromSuperview();
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(forwarded(), ElementsAre(R"(adViewAttached {"attached":false})"));

    // Without a delegate, or once it is gone, nothing is forwarded.
    for (const bool keepDelegate : {false, true}) {
        auto standIn = std::make_shared<WrapperStandIn>(adapter);
        view->setDelegate(keepDelegate ? std::weak_ptr<WrapperStandIn>(standIn) : std::weak_ptr<WrapperStandIn>());
        if (keepDelegate) {
            standIn.reset();
        }
        network.clearCalls();
        window->addSubview(view);
        MainLoop::shared().runUntilIdle();
        view->setNeedsDisplay();
        view->displayIfNeeded();
        view->removeFromSuperview();
        EXPECT_TRUE(network.calls().empty());
    }
}

TEST_F(SolenNativeAdViewTest, AnAdapterThatThrowsIsLoggedAndTheViewCarriesOn) {
    test::LogCapture log;
    const auto view = std::make_shared<SolenNativeAdView>(Rect(0, 0, 50, 50));
    const auto wrapper = std::make_shared<WrapperStandIn>(std::make_shared<ThrowingNativeAdapter>());
    view->setDelegate(wrapper);
    const auto window = app.showKeyWindow();
    window->addSubview(view);
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(view->window(), window);
    EXPECT_TRUE(log.contains("ThrowingNativeAdapter threw from adViewAttached: attach failed"));
    EXPECT_TRUE(log.contains("ThrowingNativeAdapter threw from adViewFrameUpdated: an unknown exception"));
}

}  // namespace
}  // namespace solen
