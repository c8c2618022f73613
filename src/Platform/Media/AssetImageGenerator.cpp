#include "Platform/Media/AssetImageGenerator.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Media/MediaError.h"

#include <cmath>
#include <string>

namespace solen::platform {
namespace {

void putBigEndian32(Image::Data& data, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) data.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The signature and header chunk of a PNG image of that size: enough to be an image of it.
std::optional<Image> pictureOfSize(Size size) {
    Image::Data data{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    putBigEndian32(data, static_cast<std::uint32_t>(size.width));
    putBigEndian32(data, static_cast<std::uint32_t>(size.height));
    data.insert(data.end(), {8, 6, 0, 0, 0});
    return Image::fromData(std::move(data));
}

}  // namespace

std::shared_ptr<AssetImageGenerator> AssetImageGenerator::create(std::shared_ptr<Asset> asset) {
    return std::shared_ptr<AssetImageGenerator>(new AssetImageGenerator(std::move(asset)));
}

void AssetImageGenerator::generateImagesAsynchronously(std::vector<MediaTime> times, Handler handler) {
    auto shared = std::make_shared<Handler>(std::move(handler));
    for (const MediaTime& time : times) pending_.push_back({time, shared, false});
    if (!loaded_) {
        // The keys are loaded once; results wait for them.
        std::vector<std::string> keys{std::string(MediaFacts::tracksKey), std::string(MediaFacts::durationKey)};
        asset_->loadValuesAsynchronously(std::move(keys), [weak = weak_from_this()] {
            if (auto self = weak.lock()) {
                self->loaded_ = true;
                self->deliverNext();
            }
        });
        return;
    }
    deliverNext();
}

void AssetImageGenerator::cancelAllImageGeneration() {
    for (Pending& request : pending_) request.cancelled = true;
}

// Delivers the oldest pending result on a later turn, then the next one on the turn after.
void AssetImageGenerator::deliverNext() {
    if (delivering_ || pending_.empty() || !loaded_) return;
    delivering_ = true;
    performOnMainQueue([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->delivering_ = false;
        if (self->pending_.empty()) return;
        const Pending request = self->pending_.front();
        self->pending_.erase(self->pending_.begin());

        std::optional<Image> image;
        std::optional<Error> error;
        Result result = Result::failed;
        const auto& asset = *self->asset_;
        const auto videoTracks = asset.tracks(MediaTrack::MediaType::video);
        const MediaTime duration = asset.duration();
        if (request.cancelled) {
            result = Result::cancelled;
        } else if (asset.statusOfValue(MediaFacts::tracksKey, &error) != Asset::KeyStatus::loaded ||
                   asset.statusOfValue(MediaFacts::durationKey, &error) != Asset::KeyStatus::loaded) {
            if (!error) error = MediaError::make(MediaError::Code::noVideoTrack, "the media could not be read");
        } else if (videoTracks.empty()) {
            error = MediaError::make(MediaError::Code::noVideoTrack, "the media has no pictures");
        } else if (!request.time.isNumeric() || request.time < MediaTime::zero() ||
                   (duration.isNumeric() && request.time > duration)) {
            error = MediaError::make(MediaError::Code::timeOutsideItem,
                                     "no picture at " + std::to_string(request.time.seconds()) + " s");
        } else if ((image = pictureOfSize(videoTracks.front().naturalSize))) {
            result = Result::succeeded;
        } else {
            error = MediaError::make(MediaError::Code::noVideoTrack, "the picture size is unusable");
        }
        const MediaTime actual = result == Result::succeeded ? request.time : MediaTime::invalid();
        self->deliverNext();
        (*request.handler)(request.time, std::move(image), actual, result, std::move(error));
    });
}

}  // namespace solen::platform
