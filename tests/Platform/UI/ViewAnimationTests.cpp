// View animation blocks: each committed block is kept on the view its transition is for, with the
// subview changes made on that view while it was open; blocks nest.
#include <solen/ui/ViewAnimation.h>

#include "support/AnimationBlocks.h"

#include <solen/ui/View.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace solen::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::shared_ptr<View> tagged(int tag) {
    auto view = View::create();
    view->setTag(tag);
    return view;
}

TEST(ViewAnimationTest, NestedBlocksKeepTheChangesOfTheirOwnViews) {
    const auto outer = tagged(10);
    const auto inner = tagged(20);
    const auto a = tagged(1);
    const auto b = tagged(2);
    // With no block open, settings and a commit do nothing.
    ViewAnimation::setAnimationDuration(9);
    ViewAnimation::setAnimationTransition(2, *outer, false);
    ViewAnimation::commitAnimations();

    ViewAnimation::beginAnimations("outer", nullptr);
    ViewAnimation::setAnimationTransition(1, *outer, true);
    outer->addSubview(a);
    ViewAnimation::beginAnimations(std::nullopt, nullptr);
    ViewAnimation::setAnimationDuration(0.5);
    ViewAnimation::setAnimationCurve(ViewAnimation::linearCurve);
    ViewAnimation::setAnimationTransition(4, *inner, false);
    inner->addSubview(b);
    outer->bringSubviewToFront(a);
    inner->addSubview(a);  // leaves `outer` (the outer block) for `inner` (the inner one)
    ViewAnimation::commitAnimations();
    EXPECT_THAT(ViewAnimation::committedBlocks(*outer), IsEmpty());
    b->removeFromSuperview();  // the inner block is closed
    ViewAnimation::commitAnimations();

    EXPECT_THAT(test::describeBlocks(ViewAnimation::committedBlocks(*inner)),
                ElementsAre("0.5s curve 3 transition 4 uncached: add:2 add:1"));
    EXPECT_THAT(test::describeBlocks(ViewAnimation::committedBlocks(*outer)),
                ElementsAre("0.2s curve 0 transition 1 cached: add:1 front:1 remove:1"));

    // A block without a transition animates no view and is kept nowhere.
    ViewAnimation::beginAnimations(std::nullopt, nullptr);
    outer->addSubview(b);
    ViewAnimation::commitAnimations();
    EXPECT_EQ(ViewAnimation::committedBlocks(*outer).size(), 1u);
}

TEST(ViewAnimationTest, AViewKeepsItsLatestBlocksAndLetsItsSubviewsGo) {
    const auto view = View::create();
    for (std::size_t i = 1; i <= ViewAnimation::keptBlockLimit + 1; ++i) {
        ViewAnimation::beginAnimations(std::nullopt, nullptr);
        ViewAnimation::setAnimationDuration(static_cast<double>(i));
        ViewAnimation::setAnimationTransition(3, *view, false);
        if (i == ViewAnimation::keptBlockLimit + 1) {
            auto leaving = tagged(7);
            view->addSubview(leaving);
            leaving->removeFromSuperview();
            const std::weak_ptr<View> released = leaving;
            leaving.reset();
            EXPECT_TRUE(released.expired());  // the open block does not hold it
        }
        ViewAnimation::commitAnimations();
    }
    const auto blocks = test::describeBlocks(ViewAnimation::committedBlocks(*view));
    ASSERT_EQ(blocks.size(), ViewAnimation::keptBlockLimit);
    EXPECT_EQ(blocks.front(), "2s curve 0 transition 3 uncached:");
    EXPECT_EQ(blocks.back(), "17s curve 0 transition 3 uncached: add:gone remove:gone");
}

}  // namespace
}  // namespace solen::platform
