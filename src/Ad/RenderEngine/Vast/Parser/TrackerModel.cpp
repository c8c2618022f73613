#include "Ad/RenderEngine/Vast/Parser/TrackerModel.h"

#include <algorithm>
#include <utility>

namespace solen {

TrackerModel::TrackerModel(VastModel model) : vastModel(std::move(model)) {
    const auto& ads = vastModel.ads;
    const auto sequenced = std::count_if(ads.begin(), ads.end(), [](const VastAd& ad) { return ad.sequence.has_value(); });
    if (sequenced == 0) {
        type = TrackerModelType::standAlone;
    } else if (static_cast<std::size_t>(sequenced) == ads.size()) {
        type = TrackerModelType::adPod;
    } else {
        type = TrackerModelType::adBuffet;
    }
}

}  // namespace solen
