#pragma once

#include "Ad/RenderEngine/Native/ImageAssetModel.h"
#include "Ad/RenderEngine/Native/MediaAssetVideoContentModel.h"
#include "Commons/Json/JsonReader.h"

#include <variant>

namespace solen {

// The content of a media asset: an image or a video, told apart by the object's shape alone.
// An object that decodes as an image is an image, even when it also has the video's keys.
class MediaAssetContentValue {
public:
    explicit MediaAssetContentValue(ImageAssetModel image) : value_(std::move(image)) {}
    explicit MediaAssetContentValue(MediaAssetVideoContentModel video) : value_(std::move(video)) {}

    const ImageAssetModel* imageAssetModel() const { return std::get_if<ImageAssetModel>(&value_); }
    const MediaAssetVideoContentModel* videoAssetModel() const {
        return std::get_if<MediaAssetVideoContentModel>(&value_);
    }

    // Fails with "Wrong type for MediaAssetContentValue" when the value is neither.
    static MediaAssetContentValue decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const MediaAssetContentValue&) const = default;

private:
    std::variant<ImageAssetModel, MediaAssetVideoContentModel> value_;
};

}  // namespace solen
