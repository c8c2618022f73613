#include "Ad/RenderEngine/Native/Assets/AssetError.h"
#include "Ad/RenderEngine/Native/Assets/ImageViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/LabelViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/NativeAssetState.h"
#include "Platform/Foundation/ResourceBundle.h"
#include "Platform/UI/TapDriver.h"
#include "support/AssetDelegateRecorder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace solen {
namespace {

using platform::Image;
using platform::ImageView;
using platform::Rect;
using platform::TapDriver;
using platform::View;
using test::AssetDelegateRecorder;
using ::testing::ElementsAre;
using namespace std::string_literals;

// A PNG header naming its width and height; enough for an image here, which is never decoded.
Image pngOfSize(std::uint8_t width, std::uint8_t height) {
    const std::string bytes = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0"s + char(width) + "\0\0\0"s + char(height) + "\x08\x06\0\0\0"s;
    return *Image::fromData(Image::Data(bytes.begin(), bytes.end()));
}

AssetOnClick landing() { return AssetOnClick{"https://example.com/landing", std::nullopt, std::nullopt}; }

TEST(NativeAssetStateTest, RawValuesRoundTripAndNothingElseMatches) {
    for (auto state : {NativeAssetState::default_, NativeAssetState::loading, NativeAssetState::loaded,
                       NativeAssetState::failed}) {
        EXPECT_EQ(nativeAssetStateFromRawValue(nativeAssetStateRawValue(state)), state);
    }
    EXPECT_EQ(nativeAssetStateRawValue(NativeAssetState::default_), "default");
    for (const char* text : {"Default", "LOADED", "", " loading", "failed\n", "default_"}) {
        EXPECT_EQ(nativeAssetStateFromRawValue(text), std::nullopt) << text;
    }
}

TEST(AssetErrorTest, CodesTextsAndDomainFollowTheCases) {
    struct Case {
        AssetError error;
        std::int64_t code;
        const char* description;
    };
    const Case cases[] = {
        {AssetError::invalidAssetUrl("icon"), 101, "SOL-101 invalidAssetUrl-icon"},
        {AssetError::emptyAssetValue("title"), 102, "SOL-102 emptyAssetValue-title"},
        {AssetError::failToDownloadImage("Media-Image"), 103, "SOL-103 failToDownloadImage-Media-Image"},
    };
    for (const Case& c : cases) {
        const platform::Error error = c.error.toError();
        EXPECT_EQ(error.domain, "Solen.AssetError");
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.localizedDescription, c.description);
        EXPECT_FALSE(error.localizedFailureReason || error.localizedRecoverySuggestion);
        EXPECT_TRUE(error.userInfo.empty());
    }
}

TEST(LabelViewAssetTest, LoadsAnyNonEmptyTextSynchronouslyAndFailsAnEmptyOneEachTime) {
    auto recorder = std::make_shared<AssetDelegateRecorder>();
    const std::string megabyte(1 << 20, '\x01');
    for (const std::string& text : {" "s, "\n\t "s, "Line\0Two\x7f"s, megabyte}) {
        auto label = LabelViewAsset::create(Rect(), "description", LabelAssetModel{true, text, std::nullopt}, recorder);
        EXPECT_EQ(label->assetState(), NativeAssetState::loading);
        label->loadAsset();
        EXPECT_EQ(label->text(), text);
        EXPECT_EQ(label->assetState(), NativeAssetState::loaded);
        EXPECT_EQ(recorder->events.back().stateAtReport, NativeAssetState::loaded);
        EXPECT_EQ(recorder->events.back().asset, label);
    }

    auto title = LabelViewAsset::create(Rect(), "title", LabelAssetModel{true, "", std::nullopt}, recorder);
    title->setText("kept");
    recorder->events.clear();
    title->loadAsset();
    title->loadAsset();
    ASSERT_THAT(recorder->kinds(), ElementsAre("failed", "failed"));
    EXPECT_EQ(recorder->events[0].error->localizedDescription, "SOL-102 emptyAssetValue-title");
    EXPECT_EQ(recorder->events[0].stateAtReport, NativeAssetState::failed);
    EXPECT_EQ(title->text(), "kept");
    EXPECT_FALSE(title->isAssetReady());
    EXPECT_FALSE(TapDriver::tap(title));

    // Without a delegate a load still ends in its state, silently.
    auto silent = LabelViewAsset::create(Rect(), "rating", LabelAssetModel{false, "", std::nullopt}, nullptr);
    silent->loadAsset();
    EXPECT_EQ(silent->assetState(), NativeAssetState::failed);
}

TEST(NativeAssetReadinessTest, RequiredAssetsNeedTheirContentAndASuperviewOthersNeverDo) {
    enum class Kind { label, image, modelLessImage };
    struct Case {
        const char* name;
        Kind kind;
        bool required;
        NativeAssetState state;
        bool inSuperview;
        bool ready, inPlace;
    };
    const Case cases[] = {
        {"required label, failed, detached", Kind::label, true, NativeAssetState::failed, false, false, false},
        {"required label, loaded, attached", Kind::label, true, NativeAssetState::loaded, true, true, true},
        {"required label, loaded, detached", Kind::label, true, NativeAssetState::loaded, false, true, false},
        {"optional label, failed, detached", Kind::label, false, NativeAssetState::failed, false, true, true},
        {"required image, loading, attached", Kind::image, true, NativeAssetState::loading, true, false, true},
        {"required image, loaded, detached", Kind::image, true, NativeAssetState::loaded, false, true, false},
        {"optional image, failed, detached", Kind::image, false, NativeAssetState::failed, false, true, true},
        {"model-less image, failed, detached", Kind::modelLessImage, true, NativeAssetState::failed, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<NativeAsset> asset;
        std::shared_ptr<View> view;
        if (c.kind == Kind::label) {
            auto label = LabelViewAsset::create(Rect(), "cta", LabelAssetModel{c.required, "Go", std::nullopt}, nullptr);
            std::tie(asset, view) = std::pair(label, label);
        } else {
            auto image = c.kind == Kind::image
                             ? ImageViewAsset::create(Rect(), "icon", ImageAssetModel{c.required, "https://x/i.png", std::nullopt}, nullptr)
                             : ImageViewAsset::create("play", "sol_Play", Rect(), nullptr);
            std::tie(asset, view) = std::pair(image, image);
        }
        asset->setAssetState(c.state);
        auto parent = View::create();
        if (c.inSuperview) parent->addSubview(view);
        EXPECT_EQ(asset->isAssetReady(), c.ready);
        EXPECT_EQ(asset->isAssetInPlace(), c.inPlace);
    }
}

TEST(NativeAssetTapTest, TapsReachTheDelegateOnlyAfterALoadAndThroughInteractiveParents) {
    auto recorder = std::make_shared<AssetDelegateRecorder>();
    auto label = LabelViewAsset::create(Rect(), "title", LabelAssetModel{true, "Buy", landing()}, recorder);
    auto bare = LabelViewAsset::create(Rect(), "sponsored", LabelAssetModel{true, "Ads", std::nullopt}, recorder);
    auto image = ImageViewAsset::create(Rect(), "icon", ImageAssetModel{true, "https://x/i.png", landing()}, recorder);
    auto control = ImageViewAsset::create("mute", "sol_Mute", Rect(), recorder);
    EXPECT_TRUE(label->isUserInteractionEnabled() && image->isUserInteractionEnabled());

    EXPECT_FALSE(TapDriver::tap(label));
    EXPECT_FALSE(TapDriver::tap(image));
    EXPECT_FALSE(image->clickGestureRecognizer().isEnabled());
    EXPECT_EQ(&image->clickGestureRecognizer(), &image->clickGestureRecognizer());

    recorder->events.clear();
    label->loadAsset();
    bare->loadAsset();
    image->setImage(pngOfSize(1, 1));  // a picture alone does not make the view tappable
    EXPECT_FALSE(TapDriver::tap(image));
    for (const auto& view : std::vector<std::shared_ptr<View>>{label, bare, control}) {
        EXPECT_TRUE(TapDriver::tap(view));
    }
    ASSERT_THAT(recorder->kinds(), ElementsAre("loaded", "loaded", "tapped", "tapped", "tapped"));
    EXPECT_EQ(recorder->events[2].asset, label);
    EXPECT_EQ(recorder->events[2].onClick, landing());
    EXPECT_EQ(recorder->events[3].onClick, std::nullopt);
    EXPECT_EQ(recorder->events[4].asset, control);
    EXPECT_EQ(recorder->events[4].onClick, std::nullopt);

    // A template whose container refuses touches keeps them from the asset.
    auto container = View::create();
    container->addSubview(label);
    container->setUserInteractionEnabled(false);
    EXPECT_FALSE(TapDriver::tap(label));
    EXPECT_EQ(recorder->events.size(), 5u);

    // A delegate that is gone receives nothing and the tap does no harm.
    container->setUserInteractionEnabled(true);
    recorder.reset();
    EXPECT_TRUE(TapDriver::tap(label));
}

TEST(ImageViewAssetTest, ResourceImagesAreFoundByExactNameBeforeTheInitialiserReturns) {
    auto recorder = std::make_shared<AssetDelegateRecorder>();
    for (const char* name : {"sol_Play", "sol_Pause", "sol_Mute", "sol_Unmute"}) {
        auto image = platform::ResourceBundle::image(name);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->format(), Image::Format::png);
        auto control = ImageViewAsset::create("play", name, Rect(0, 0, 44, 44), recorder);
        EXPECT_EQ(control->assetState(), NativeAssetState::loaded);
        EXPECT_EQ(control->image()->data(), image->data());
        EXPECT_EQ(recorder->events.back().kind, "loaded");
        EXPECT_EQ(recorder->events.back().asset, control);
    }
    for (const char* name : {"sol_play", "sol_Play.png", "", "Play"}) {
        auto control = ImageViewAsset::create("mute", name, Rect(), recorder);
        EXPECT_EQ(control->assetState(), NativeAssetState::failed) << name;
        EXPECT_EQ(recorder->events.back().error->localizedDescription, "SOL-101 invalidAssetUrl-mute");
        EXPECT_FALSE(control->image());
        EXPECT_FALSE(TapDriver::tap(control));
    }
}

TEST(ImageViewAssetTest, SmallPicturesAreCentredAndOthersAspectFitted) {
    struct Case {
        std::uint8_t width, height;
        ImageView::ContentMode mode;
    };
    const Case cases[] = {
        {20, 20, ImageView::ContentMode::center},
        {200, 50, ImageView::ContentMode::scaleAspectFit},
        {100, 20, ImageView::ContentMode::scaleAspectFit},
        {20, 100, ImageView::ContentMode::scaleAspectFit},
    };
    auto asset = ImageViewAsset::create(Rect(0, 0, 100, 100), "Media-Image", ImageAssetModel{}, nullptr);
    for (const Case& c : cases) {
        asset->setImage(pngOfSize(c.width, c.height));
        asset->layoutIfNeeded();
        EXPECT_EQ(asset->contentMode(), c.mode) << int(c.width) << "x" << int(c.height);
    }
    asset->setImage(std::nullopt);
    asset->layoutIfNeeded();
    EXPECT_EQ(asset->contentMode(), ImageView::ContentMode::scaleAspectFit);
}

}  // namespace
}  // namespace solen
