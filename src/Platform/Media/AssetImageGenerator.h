#pragma once

#include <solen/ui/Error.h>
#include <solen/ui/Image.h>
#include "Platform/Media/Asset.h"
#include "Platform/Media/MediaTime.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace solen::platform {

// Makes still images of an asset's pictures: for a time inside the asset (zero to its duration),
// when it has a video track, an image of the track's natural size (the header of a PNG image;
// no pixels are drawn). Any other time, or an asset without pictures, gives an error, as does a
// failed key (its own error). One result per requested time, in request order, each on its own
// later main-loop turn; the asset's keys are loaded first when needed.
// Main thread only; a released generator reports nothing.
class AssetImageGenerator : public std::enable_shared_from_this<AssetImageGenerator> {
public:
    enum class Result { succeeded, failed, cancelled };
    using Handler = std::function<void(MediaTime requestedTime, std::optional<Image> image, MediaTime actualTime,
                                       Result result, std::optional<Error> error)>;

    static std::shared_ptr<AssetImageGenerator> create(std::shared_ptr<Asset> asset);
    AssetImageGenerator(const AssetImageGenerator&) = delete;
    AssetImageGenerator& operator=(const AssetImageGenerator&) = delete;

    const std::shared_ptr<Asset>& asset() const { return asset_; }
    bool appliesPreferredTrackTransform() const { return appliesPreferredTrackTransform_; }
    void setAppliesPreferredTrackTransform(bool applies) { appliesPreferredTrackTransform_ = applies; }

    void generateImagesAsynchronously(std::vector<MediaTime> times, Handler handler);
    // Results not yet delivered are delivered as cancelled.
    void cancelAllImageGeneration();

private:
    explicit AssetImageGenerator(std::shared_ptr<Asset> asset) : asset_(std::move(asset)) {}
    void deliverNext();

    struct Pending {
        MediaTime time;
        std::shared_ptr<Handler> handler;
        bool cancelled = false;
    };
    const std::shared_ptr<Asset> asset_;
    bool appliesPreferredTrackTransform_ = false;
    bool loaded_ = false;
    bool delivering_ = false;
    std::vector<Pending> pending_;
};

}  // namespace solen::platform
