#include "support/AnimationBlocks.h"

#include <array>
#include <sstream>

namespace solen::test {

std::vector<std::string> describeBlocks(const std::vector<platform::ViewAnimation::Block>& blocks) {
    constexpr std::array<const char*, 3> changes{" add:", " front:", " remove:"};
    std::vector<std::string> lines;
    for (const platform::ViewAnimation::Block& block : blocks) {
        std::ostringstream line;
        line << block.duration << "s curve " << block.curve << " transition " << block.transition
             << (block.cachesTransition ? " cached:" : " uncached:");
        for (const platform::ViewAnimation::SubviewEdit& edit : block.subviewEdits) {
            const auto subview = edit.subview.lock();
            line << changes.at(static_cast<std::size_t>(edit.change));
            if (subview) line << subview->tag(); else line << "gone";
        }
        lines.push_back(line.str());
    }
    return lines;
}

}  // namespace solen::test
