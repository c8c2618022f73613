#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/View.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

// View animation blocks in the begin/commit style: the settings made between beginAnimations and
// commitAnimations belong to that block; blocks nest, and each commit closes the innermost open
// one. Settings made while no block is open, and a commit without an open block, do nothing.
//
// Nothing is drawn on Linux, so a block is recorded instead: a committed block that has a
// transition is kept on the view the transition is for, with its duration, curve, transition,
// cache flag and the changes made to that view's subviews while it was open (additions,
// bring-to-front, removals; a change is recorded in the innermost open block for that view).
// A block without a transition animates no view and is not kept. Each view keeps its
// `keptBlockLimit` most recent blocks, so a banner that refreshes all day does not grow; records
// hold views weakly. Hosts and tests read a view's blocks with committedBlocks; the banner
// records each swap of its ad view this way. Main thread only, like views.
class SOLEN_EXPORT ViewAnimation {
public:
    // Raw curve values: 0 ease in and out (the default), 1 ease in, 2 ease out, 3 linear.
    static constexpr int linearCurve = 3;
    // Raw transition values: 0 none (the default), 1 and 2 flip from left and right, 3 and 4 curl
    // up and down.
    static constexpr int noTransition = 0;
    static constexpr std::size_t keptBlockLimit = 16;

    enum class SubviewChange { add, bringToFront, remove };
    struct SubviewEdit {
        SubviewChange change;
        std::weak_ptr<const View> subview;
    };
    struct Block {
        double duration = 0.2;
        int curve = 0;
        int transition = noTransition;
        bool cachesTransition = false;
        std::vector<SubviewEdit> subviewEdits;
    };

    // Opens a block. The identifier and context name the block to the platform's animation
    // delegate; there is none here, so neither is kept.
    static void beginAnimations(const std::optional<std::string>& identifier, const void* context);
    static void setAnimationDuration(double seconds);
    static void setAnimationCurve(int curve);
    // The transition the open block plays on `view`, and whether the view's look is cached for it.
    static void setAnimationTransition(int transition, const View& view, bool cache);
    static void commitAnimations();

    // The blocks committed on `view`, oldest first.
    static std::vector<Block> committedBlocks(const View& view);

private:
    friend class View;
    // Called by View when it changes its subviews: the change joins the innermost open block whose
    // transition is for `superview`.
    static void recordSubviewChange(const View& superview, SubviewChange change, const View& subview);
};

}  // namespace solen::platform
