#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/LayoutConstraint.h"
#include "Platform/UI/TapDriver.h"
#include "support/ScopedApplication.h"

#include <solen/ui/ImageView.h>
#include <solen/ui/Label.h>
#include <solen/ui/Rect.h>
#include <solen/ui/TapGestureRecognizer.h>
#include <solen/ui/View.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solen::platform {
namespace {

using ::testing::ElementsAre;

// Records its hooks as "<name>:<hook>" in a shared journal.
class JournalView : public View {
public:
    JournalView(std::string name, std::vector<std::string>& journal, Rect frame = {})
        : View(frame), name_(std::move(name)), journal_(journal) {}

    void willMoveToSuperview(const std::shared_ptr<View>& s) override { note(s ? "willMoveToSuperview" : "willMoveToSuperview(nil)"); }
    void didMoveToSuperview() override { note("didMoveToSuperview"); }
    void willMoveToWindow(const std::shared_ptr<Window>& w) override { note(w ? "willMoveToWindow" : "willMoveToWindow(nil)"); }
    void didMoveToWindow() override { note(window() ? "didMoveToWindow" : "didMoveToWindow(nil)"); }
    void didAddSubview(const std::shared_ptr<View>&) override { note("didAddSubview"); }
    void willRemoveSubview(const std::shared_ptr<View>&) override { note("willRemoveSubview"); }
    void layoutSubviews() override { note("layoutSubviews"); }

private:
    void note(const std::string& hook) { journal_.push_back(name_ + ":" + hook); }
    std::string name_;
    std::vector<std::string>& journal_;
};

// Records each draw as "<name>:<width>x<height>" in a shared journal.
class SketchView : public View {
public:
    SketchView(std::string name, std::vector<std::string>& journal, Rect frame)
        : View(frame), name_(std::move(name)), journal_(journal) {}

    void draw(Rect rect) override {
        journal_.push_back(name_ + ":" + std::to_string(static_cast<int>(rect.size.width)) + "x" +
                           std::to_string(static_cast<int>(rect.size.height)));
    }

private:
    std::string name_;
    std::vector<std::string>& journal_;
};

class ViewTest : public ::testing::Test {
protected:
    void TearDown() override { MainLoop::shared().runUntilIdle(); }
    test::ScopedApplication app;
    std::vector<std::string> journal;
};

TEST(RectTest, IntersectionNeedsAPositiveOverlap) {
    const Rect a(0, 0, 100, 100);
    EXPECT_EQ(a.intersection(Rect(50, 60, 100, 100)), Rect(50, 60, 50, 40));
    EXPECT_FALSE(a.intersection(Rect(100, 0, 10, 10)));  // touching edges
    EXPECT_FALSE(a.intersection(Rect(10, 10, 0, 0)));     // no area
    EXPECT_EQ(a.intersection(Rect(20, 20, -10, -10)), Rect(10, 10, 10, 10));
    EXPECT_TRUE(a.contains(Point{0, 0}));
    EXPECT_FALSE(a.contains(Point{100, 50}));
}

TEST_F(ViewTest, MovingIntoAndOutOfAWindowCallsTheHooksInPlatformOrder) {
    auto window = app.showKeyWindow();
    auto parent = std::make_shared<JournalView>("parent", journal);
    auto child = std::make_shared<JournalView>("child", journal);
    parent->addSubview(child);
    EXPECT_THAT(journal, ElementsAre("child:willMoveToSuperview", "child:didMoveToSuperview", "parent:didAddSubview"));

    journal.clear();
    window->addSubview(parent);
    EXPECT_THAT(journal, ElementsAre("parent:willMoveToSuperview", "parent:willMoveToWindow", "child:willMoveToWindow",
                                     "parent:didMoveToWindow", "child:didMoveToWindow", "parent:didMoveToSuperview"));
    EXPECT_EQ(child->window(), window);

    // Between two superviews of one window the window hooks stay quiet.
    auto other = std::make_shared<JournalView>("other", journal);
    window->addSubview(other);
    journal.clear();
    other->addSubview(child);
    EXPECT_THAT(journal, ElementsAre("child:willMoveToSuperview", "parent:willRemoveSubview", "child:didMoveToSuperview",
                                     "other:didAddSubview"));
    EXPECT_TRUE(parent->subviews().empty());

    journal.clear();
    other->removeFromSuperview();
    EXPECT_THAT(journal, ElementsAre("other:willMoveToSuperview(nil)", "other:willMoveToWindow(nil)",
                                     "child:willMoveToWindow(nil)", "other:didMoveToWindow(nil)",
                                     "child:didMoveToWindow(nil)", "other:didMoveToSuperview"));
    EXPECT_EQ(child->window(), nullptr);
}

TEST_F(ViewTest, AddingAgainBringsToTheFrontAndCyclesAreRefused) {
    auto root = View::create();
    auto one = View::create();
    auto two = View::create();
    root->addSubview(one);
    root->addSubview(two);
    root->addSubview(one);
    EXPECT_THAT(root->subviews(), ElementsAre(two, one));
    one->addSubview(root);  // would make a cycle
    one->addSubview(one);
    EXPECT_TRUE(one->subviews().empty());
    EXPECT_EQ(root->superview(), nullptr);
}

TEST_F(ViewTest, ConvertsThroughAncestorsAndScrolledBounds) {
    auto window = Window::create(Rect(0, 0, 400, 800));
    auto scroll = View::create(Rect(10, 20, 300, 300));
    auto content = View::create(Rect(5, 5, 100, 100));
    auto other = View::create(Rect(200, 200, 50, 50));
    window->addSubview(scroll);
    window->addSubview(other);
    scroll->addSubview(content);
    scroll->setBounds(Rect(0, 50, 300, 300));  // scrolled down by 50

    EXPECT_EQ(content->convertTo(Point{1, 1}, nullptr), (Point{16, -24}));
    EXPECT_EQ(content->convertTo(Point{0, 0}, other.get()), (Point{-185, -225}));
    EXPECT_EQ(other->convertFrom(Point{0, 0}, content.get()), (Point{-185, -225}));
}

TEST_F(ViewTest, LayoutIsCoalescedOntoTheNextTurnOfTheMainLoop) {
    auto window = app.showKeyWindow();
    auto outer = std::make_shared<JournalView>("outer", journal, Rect(0, 0, 10, 10));
    auto inner = std::make_shared<JournalView>("inner", journal, Rect(0, 0, 10, 10));
    outer->addSubview(inner);
    window->addSubview(outer);
    MainLoop::shared().runUntilIdle();
    journal.clear();

    inner->setNeedsLayout();
    outer->setFrame(Rect(0, 0, 20, 20));  // a new size asks for layout
    outer->setFrame(Rect(5, 5, 20, 20));  // a move alone does not ask again
    EXPECT_TRUE(journal.empty());
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(journal, ElementsAre("outer:layoutSubviews", "inner:layoutSubviews"));
    EXPECT_FALSE(outer->needsLayout());

    // A plain view's subview pinned to its four edges takes its bounds on the pass its activation
    // asked for, and again when the view is resized; one pinned to three edges keeps its frame.
    auto pinned = View::create();
    auto loose = View::create(Rect(1, 1, 2, 2));
    outer->addSubview(pinned);
    outer->addSubview(loose);
    MainLoop::shared().runUntilIdle();
    const auto pin = [&](const std::shared_ptr<View>& view, std::vector<LayoutAttribute> edges) {
        std::vector<std::shared_ptr<LayoutConstraint>> constraints;
        for (LayoutAttribute edge : edges) constraints.push_back(anchor(view, edge).constraintEqualTo(anchor(outer, edge)));
        LayoutConstraint::activate(constraints);
    };
    pin(pinned, {LayoutAttribute::top, LayoutAttribute::bottom, LayoutAttribute::left, LayoutAttribute::right});
    pin(loose, {LayoutAttribute::top, LayoutAttribute::bottom, LayoutAttribute::left});
    EXPECT_TRUE(outer->needsLayout());
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(pinned->frame(), Rect(0, 0, 20, 20));
    outer->setFrame(Rect(5, 5, 30, 40));
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(pinned->frame(), Rect(0, 0, 30, 40));
    EXPECT_EQ(loose->frame(), Rect(1, 1, 2, 2));
}

TEST_F(ViewTest, DrawsOnceOnTheTurnAfterArrivalResizeOrMarkAndAtOnceOnRequest) {
    auto window = app.showKeyWindow();
    auto outer = std::make_shared<SketchView>("outer", journal, Rect(0, 0, 10, 10));
    auto inner = std::make_shared<SketchView>("inner", journal, Rect(0, 0, 4, 4));
    outer->addSubview(inner);
    outer->setNeedsDisplay();  // outside a window a mark waits
    MainLoop::shared().runUntilIdle();
    EXPECT_TRUE(journal.empty());

    window->addSubview(outer);
    EXPECT_TRUE(journal.empty());
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(journal, ElementsAre("outer:10x10", "inner:4x4"));

    journal.clear();
    inner->setNeedsDisplay();
    inner->setNeedsDisplay();
    outer->setFrame(Rect(0, 0, 20, 30));
    outer->setFrame(Rect(5, 5, 20, 30));  // a move alone does not ask again
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(journal, ElementsAre("outer:20x30", "inner:4x4"));

    journal.clear();
    inner->setNeedsDisplay();
    outer->displayIfNeeded();
    EXPECT_THAT(journal, ElementsAre("inner:4x4"));
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(journal, ElementsAre("inner:4x4"));

    // Label and image view ask for drawing when their content changes.
    auto label = Label::create(Rect(0, 0, 50, 10));
    auto imageView = ImageView::create(Rect(0, 0, 50, 50));
    window->addSubview(label);
    window->addSubview(imageView);
    MainLoop::shared().runUntilIdle();
    label->setText("Install");
    imageView->setContentMode(ImageView::ContentMode::scaleAspectFit);
    EXPECT_TRUE(label->needsDisplay() && imageView->needsDisplay());
    MainLoop::shared().runUntilIdle();
    EXPECT_FALSE(label->needsDisplay() || imageView->needsDisplay());
    EXPECT_EQ(label->text(), "Install");
}

// Counts the taps its recogniser sends it.
struct TapTarget {
    int taps = 0;
    void tapped(GestureRecognizer&) { ++taps; }
};

TEST(TapTest, ATapReachesOnlyThroughInteractiveVisibleAncestorsAndGoesToTheNearestEnabledRecogniser) {
    // Labels and image views refuse touches until told otherwise, as on the platform.
    EXPECT_FALSE(Label::create()->isUserInteractionEnabled());
    EXPECT_FALSE(ImageView::create()->isUserInteractionEnabled());
    EXPECT_TRUE(View::create()->isUserInteractionEnabled());

    struct Case {
        const char* name;
        bool rootInteractive, rootHidden, leafInteractive, leafHidden, leafRecognizerEnabled;
        int leafTaps, rootTaps;
    };
    const Case cases[] = {
        {"all open", true, false, true, false, true, 1, 0},
        {"leaf recogniser disabled: the touch moves up", true, false, true, false, false, 0, 1},
        {"parent refuses interaction", false, false, true, false, true, 0, 0},
        {"parent hidden", true, true, true, false, true, 0, 0},
        {"leaf refuses interaction", true, false, false, false, true, 0, 0},
        {"leaf hidden", true, false, true, true, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto root = View::create(Rect(0, 0, 100, 100));
        auto middle = View::create(Rect(0, 0, 50, 50));
        auto leaf = View::create(Rect(0, 0, 10, 10));
        root->addSubview(middle);
        middle->addSubview(leaf);
        root->setUserInteractionEnabled(c.rootInteractive);
        root->setHidden(c.rootHidden);
        leaf->setUserInteractionEnabled(c.leafInteractive);
        leaf->setHidden(c.leafHidden);
        auto leafTarget = std::make_shared<TapTarget>();
        auto rootTarget = std::make_shared<TapTarget>();
        auto leafRecognizer = TapGestureRecognizer::create(leafTarget, &TapTarget::tapped);
        leafRecognizer->setEnabled(c.leafRecognizerEnabled);
        leaf->addGestureRecognizer(leafRecognizer);
        root->addGestureRecognizer(TapGestureRecognizer::create(rootTarget, &TapTarget::tapped));

        EXPECT_EQ(TapDriver::tap(leaf), c.leafTaps + c.rootTaps > 0);
        EXPECT_EQ(leafTarget->taps, c.leafTaps);
        EXPECT_EQ(rootTarget->taps, c.rootTaps);
        EXPECT_EQ(leafRecognizer->view(), leaf);
    }
}

TEST(TapTest, RecognisersMoveBetweenViewsAndSkipTargetsThatAreGone) {
    auto first = View::create();
    auto second = View::create();
    auto target = std::make_shared<TapTarget>();
    auto recognizer = TapGestureRecognizer::create(target, &TapTarget::tapped);
    int plainActions = 0;
    recognizer->addAction([&](GestureRecognizer& sender) {
        ++plainActions;
        EXPECT_EQ(&sender, recognizer.get());
    });
    first->addGestureRecognizer(recognizer);
    first->addGestureRecognizer(recognizer);
    second->addGestureRecognizer(recognizer);
    EXPECT_TRUE(first->gestureRecognizers().empty());
    EXPECT_EQ(second->gestureRecognizers().size(), 1u);
    EXPECT_FALSE(TapDriver::tap(first));
    EXPECT_TRUE(TapDriver::tap(second));
    EXPECT_EQ(target->taps, 1);

    // A released target is skipped; the other action still runs.
    target.reset();
    EXPECT_TRUE(TapDriver::tap(second));
    EXPECT_EQ(plainActions, 2);

    second->removeGestureRecognizer(recognizer);
    EXPECT_EQ(recognizer->view(), nullptr);
    EXPECT_FALSE(TapDriver::tap(second));

    // A view released by its own tap action survives until the action returns.
    auto doomed = View::create();
    auto doomedRecognizer = TapGestureRecognizer::create();
    doomedRecognizer->addAction([&doomed](GestureRecognizer&) { doomed.reset(); });
    doomed->addGestureRecognizer(doomedRecognizer);
    doomedRecognizer.reset();
    EXPECT_TRUE(TapDriver::tap(doomed));
    EXPECT_EQ(doomed, nullptr);
}

}  // namespace
}  // namespace solen::platform
