// The public banner over its ad manager's reports: each becomes one asynchronous main-queue call on
// the application's delegate, loaded ad views are swapped in, window moves reach the manager.
#include "Public/SolenBannerImpl.h"

#include "support/DispatchWait.h"
#include "support/ScopedApplication.h"
#include "support/AnimationBlocks.h"

#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace solen {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Json = nlohmann::ordered_json;

class RecordingBannerDelegate final : public SolenBannerDelegate {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return controller; }
    void solenBannerDidLoad(SolenBanner&) override { events.push_back("didLoad"); }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override {
        events.push_back("didFail:" + error.domain + ":" + std::to_string(error.code) + ":" + error.localizedDescription);
    }
    void solenBannerDidClick(SolenBanner&, const std::optional<Json>& params) override {
        events.push_back(std::string("click:") + (params ? params->dump() : "none"));
    }
    void solenBannerUserWillLeaveApplication(SolenBanner&) override { events.push_back("leave"); }
    void solenBannerWillPresentScreen(SolenBanner&) override { events.push_back("willPresent"); }
    void solenBannerDidPresentScreen(SolenBanner&) override { events.push_back("didPresent"); }
    void solenBannerWillCollapseScreen(SolenBanner&) override { events.push_back("willCollapse"); }
    void solenBannerDidCollapseScreen(SolenBanner&) override { events.push_back("didCollapse"); }
    void solenBannerImpression(SolenBanner&, const std::optional<Json>& data) override {
        events.push_back("impression:" + (data ? data->dump() : std::string("none")));
    }

    std::vector<std::string> events;
    std::shared_ptr<platform::ViewController> controller = std::make_shared<platform::ViewController>();
};

// Notes, when it leaves its superview, how many animation blocks the banner has committed.
class LeavingView final : public platform::View {
public:
    explicit LeavingView(const platform::View& banner) : banner_(banner) {}
    void didMoveToSuperview() override {
        if (!superview()) blocksAtRemoval = platform::ViewAnimation::committedBlocks(banner_).size();
    }
    std::optional<std::size_t> blocksAtRemoval;

private:
    const platform::View& banner_;
};

class SolenBannerTest : public ::testing::Test {
protected:
    SolenBanner::Impl& impl() { return SolenBanner::Impl::of(*banner_); }
    AdManager& manager() { return *impl().adManger; }

    test::ScopedApplication application_;
    std::shared_ptr<RecordingBannerDelegate> delegate_ = std::make_shared<RecordingBannerDelegate>();
    std::shared_ptr<SolenBanner> banner_ = SolenBanner::create("unit-1", {320, 50}, delegate_);
};

TEST_F(SolenBannerTest, EachManagerReportBecomesOneLaterDelegateCallInOrder) {
    const AdError error = AdError::invalidAdUnit();
    impl().adManagerDidFinishLoading(manager(), nullptr);
    impl().adManagerDidFailToLoadWith(manager(), error);
    impl().adManagerDidInteract(manager());
    impl().userWillLeaveApplicationFrom(manager());
    impl().adManagerWillPresentScreen(manager());
    impl().adManagerDidPresentScreen(manager());
    impl().adManagerWillDismissScreen(manager());
    impl().adManagerDidDismissScreen(manager());
    impl().adManagerDidAdImpression(manager(), Json{{"revenue", 0.5}});
    EXPECT_THAT(delegate_->events, IsEmpty());  // never inside the report
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate_->events,
                ElementsAre("didLoad", "didFail:ai.solen.SolenAdError:2008:" + error.description(), "click:none", "leave",
                            "willPresent", "didPresent", "willCollapse", "didCollapse", "impression:{\"revenue\":0.5}"));
    EXPECT_EQ(impl().viewControllerForBannerFullScreen(), delegate_->controller);
    EXPECT_EQ(impl().adManger->viewControllerForModalPresentation(), delegate_->controller);
    EXPECT_EQ(banner_->animationTransition(), 3);
    EXPECT_EQ(banner_->adSize(), (platform::Size{320, 50}));
    EXPECT_TRUE(banner_->clipsToBounds());
    EXPECT_EQ(SolenBanner::create()->adSize(), (platform::Size{}));
}

TEST_F(SolenBannerTest, LoadedViewsAreSwappedInWithOrWithoutADelegate) {
    const auto views = std::vector<std::shared_ptr<platform::View>>{platform::View::create(), platform::View::create(),
                                                                     platform::View::create()};
    for (const auto& view : views) impl().adManagerDidFinishLoading(manager(), view);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(banner_->subviews(), ElementsAre(views.back()));

    // A load without a view reports and leaves the subviews.
    impl().adManagerDidFinishLoading(manager(), nullptr);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(banner_->subviews(), ElementsAre(views.back()));
    EXPECT_THAT(delegate_->events, ElementsAre("didLoad", "didLoad", "didLoad", "didLoad"));

    // The application released its delegate: the view still comes in, nothing breaks.
    delegate_.reset();
    const auto newest = platform::View::create();
    impl().adManagerDidFinishLoading(manager(), newest);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(banner_->subviews(), ElementsAre(newest));
}

TEST_F(SolenBannerTest, EachSwapIsOneLinearSecondOfTheTransitionAndTheOldViewsLeaveAfterIt) {
    const auto old = std::make_shared<LeavingView>(*banner_);
    banner_->addSubview(old);
    const auto first = platform::View::create();
    first->setTag(1);
    impl().adManagerDidFinishLoading(manager(), first);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(test::describeBlocks(platform::ViewAnimation::committedBlocks(*banner_)),
                ElementsAre("1s curve 3 transition 3 uncached: add:1 front:1"));
    EXPECT_EQ(old->blocksAtRemoval, 1u);  // removed once the block was committed

    // The transition set before the next load is the one its swap plays.
    banner_->setAnimationTransition(1);
    const auto second = platform::View::create();
    second->setTag(2);
    impl().adManagerDidFinishLoading(manager(), second);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(test::describeBlocks(platform::ViewAnimation::committedBlocks(*banner_)),
                ElementsAre("1s curve 3 transition 3 uncached: add:1 front:1",
                            "1s curve 3 transition 1 uncached: add:2 front:2"));
    EXPECT_THAT(banner_->subviews(), ElementsAre(second));
}

TEST_F(SolenBannerTest, WindowMovesReachTheManagerAndReportsAfterAReleaseAreDropped) {
    const auto& bannerManager = impl().adManger;
    const auto window = application_.showKeyWindow();
    window->addSubview(banner_);
    EXPECT_TRUE(bannerManager->onWindow());
    banner_->removeFromSuperview();
    EXPECT_FALSE(bannerManager->onWindow());

    const std::weak_ptr<BannerAdManager> weakManager = bannerManager;
    impl().adManagerDidFinishLoading(manager(), platform::View::create());
    impl().adManagerDidFailToLoadWith(manager(), AdError::noFill());
    banner_.reset();
    EXPECT_TRUE(weakManager.expired());
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate_->events, IsEmpty());
}

}  // namespace
}  // namespace solen
