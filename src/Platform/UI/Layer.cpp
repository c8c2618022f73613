#include "Platform/UI/Layer.h"

#include <algorithm>

namespace solen::platform {

std::shared_ptr<Layer> Layer::create() { return std::make_shared<Layer>(); }

void Layer::addSublayer(const std::shared_ptr<Layer>& layer) {
    insertSublayer(layer, sublayers_.size());
}

void Layer::insertSublayer(const std::shared_ptr<Layer>& layer, std::size_t index) {
    if (!layer || layer.get() == this) {
        return;
    }
    // Keep the layer alive while it moves from its old superlayer to this one.
    const std::shared_ptr<Layer> keep = layer;
    layer->removeFromSuperlayer();
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), layer);
    layer->superlayer_ = weak_from_this();
}

void Layer::removeFromSuperlayer() {
    const std::shared_ptr<Layer> parent = superlayer_.lock();
    superlayer_.reset();
    if (!parent) {
        return;
    }
    auto& siblings = parent->sublayers_;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [this](const std::shared_ptr<Layer>& l) { return l.get() == this; }),
                   siblings.end());
}

}  // namespace solen::platform
