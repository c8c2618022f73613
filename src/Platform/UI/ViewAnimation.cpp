#include <solen/ui/ViewAnimation.h>

#include <algorithm>

namespace solen::platform {
namespace {

struct OpenBlock {
    ViewAnimation::Block block;
    std::weak_ptr<const View> view;  // the transition's view; none until it is set
};

struct KeptBlocks {
    std::weak_ptr<const View> view;
    std::vector<ViewAnimation::Block> blocks;
};

struct Animations {
    std::vector<OpenBlock> open;  // innermost last
    std::vector<KeptBlocks> kept;
};

Animations& animations() {
    static auto* state = new Animations;
    return *state;
}

bool is(const std::weak_ptr<const View>& held, const View& view) { return held.lock().get() == &view; }

}  // namespace

void ViewAnimation::beginAnimations(const std::optional<std::string>&, const void*) {
    animations().open.emplace_back();
}

void ViewAnimation::setAnimationDuration(double seconds) {
    if (!animations().open.empty()) animations().open.back().block.duration = seconds;
}

void ViewAnimation::setAnimationCurve(int curve) {
    if (!animations().open.empty()) animations().open.back().block.curve = curve;
}

void ViewAnimation::setAnimationTransition(int transition, const View& view, bool cache) {
    if (animations().open.empty()) return;
    OpenBlock& open = animations().open.back();
    open.block.transition = transition;
    open.block.cachesTransition = cache;
    open.view = view.weak_from_this();
}

void ViewAnimation::commitAnimations() {
    Animations& state = animations();
    if (state.open.empty()) return;
    OpenBlock committed = std::move(state.open.back());
    state.open.pop_back();
    const std::shared_ptr<const View> view = committed.view.lock();
    if (!view) return;
    std::erase_if(state.kept, [](const KeptBlocks& entry) { return entry.view.expired(); });
    auto entry = std::find_if(state.kept.begin(), state.kept.end(),
                              [&](const KeptBlocks& kept) { return is(kept.view, *view); });
    if (entry == state.kept.end()) entry = state.kept.insert(state.kept.end(), KeptBlocks{view, {}});
    entry->blocks.push_back(std::move(committed.block));
    if (entry->blocks.size() > keptBlockLimit) entry->blocks.erase(entry->blocks.begin());
}

std::vector<ViewAnimation::Block> ViewAnimation::committedBlocks(const View& view) {
    for (const KeptBlocks& entry : animations().kept) {
        if (is(entry.view, view)) return entry.blocks;
    }
    return {};
}

void ViewAnimation::recordSubviewChange(const View& superview, SubviewChange change, const View& subview) {
    std::vector<OpenBlock>& open = animations().open;
    for (auto block = open.rbegin(); block != open.rend(); ++block) {
        if (is(block->view, superview)) {
            block->block.subviewEdits.push_back(SubviewEdit{change, subview.weak_from_this()});
            return;
        }
    }
}

}  // namespace solen::platform
