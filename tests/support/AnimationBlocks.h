#pragma once

#include <solen/ui/ViewAnimation.h>

#include <string>
#include <vector>

namespace solen::test {

// Committed animation blocks as text, one line each: "<duration>s curve <curve> transition
// <transition> cached|uncached:" and the subview changes in their order, " add:<tag>",
// " front:<tag>" or " remove:<tag>" (a subview that is gone shows "gone" for its tag).
std::vector<std::string> describeBlocks(const std::vector<platform::ViewAnimation::Block>& blocks);

}  // namespace solen::test
