#include "Ad/RenderEngine/Native/Creative.h"

#include <gtest/gtest.h>

#include <string>

namespace solen {
namespace {

const std::string image = R"({"required":true,"url":"https://img.test/a.png"})";
const std::string video =
    R"({"required":false,"vastXml":"<VAST/>","videoPlayerControls":{"mute":true,"autoPlay":false}})";

std::string nativeWith(const std::string& extra, const std::string& media = R"({"type":1,"content":)" + image + "}") {
    return R"({"title":{"required":true,"value":"T"},"description":{"required":false,"value":"D"},)"
           R"("sponsored":{"required":true,"value":"S"},"media":)" + media + extra + "}";
}

std::string creativeWith(const std::string& pubContent, const std::string& markupType = "2",
                         const std::string& extra = "") {
    return R"({"pubContent":)" + pubContent + R"(,"markupType":)" + markupType + extra + "}";
}

// The error text of a failed decode ("path: reason"), or "<decoded>".
std::string failure(const std::string& text) {
    try {
        Creative::decode(text);
    } catch (const JsonDecodingError& error) {
        return error.path() + ": " + error.reason();
    }
    return "<decoded>";
}

TEST(CreativeTests, MarkupTypeRules) {
    EXPECT_EQ(Creative::decode(creativeWith(R"("QQ==")", "1")).markupType, MarkupType::encodedS2s);
    EXPECT_EQ(Creative::decode(creativeWith(R"("QQ==")", "7")).markupType, MarkupType::default_);
    EXPECT_EQ(Creative::decode(creativeWith(R"("QQ==")", "-1")).markupType, MarkupType::default_);
    EXPECT_EQ(failure(creativeWith(R"("QQ==")", R"("1")")), "markupType: Wrong type for MyValue");
    EXPECT_EQ(failure(creativeWith(R"("QQ==")", "null")), "markupType: Wrong type for MyValue");
    EXPECT_EQ(failure(creativeWith(R"("QQ==")", "1.5")), "markupType: Wrong type for MyValue");
    EXPECT_EQ(failure(R"({"pubContent":"QQ=="})"), "markupType: required key is missing");
    EXPECT_EQ(integerCodedEnumFromRaw<OpenModeType>(3), OpenModeType::skStore);
    EXPECT_FALSE(integerCodedEnumFromRaw<OpenModeType>(4));
    EXPECT_FALSE(integerCodedEnumFromRaw<MarkupType>(-1));
}

TEST(CreativeTests, CreativeIdAndMarkupString) {
    const auto withoutId = Creative::decode(creativeWith(R"("")", "1"));
    EXPECT_FALSE(withoutId.creativeId);
    ASSERT_NE(withoutId.pubContent.encodedAdMarkupString(), nullptr);
    EXPECT_EQ(*withoutId.pubContent.encodedAdMarkupString(), "");
    EXPECT_FALSE(Creative::decode(creativeWith(R"("QQ==")", "1", R"(,"creativeId":null)")).creativeId);
    EXPECT_EQ(Creative::decode(creativeWith(R"("QQ==")", "1", R"(,"creativeId":"cr-9")")).creativeId, "cr-9");
    EXPECT_EQ(failure(creativeWith("5")), "pubContent: Wrong type for PubContentModel");
    EXPECT_EQ(failure(creativeWith("[]")), "pubContent: Wrong type for PubContentModel");
    EXPECT_EQ(failure(creativeWith("null")), "pubContent: Wrong type for PubContentModel");
    EXPECT_EQ(failure(R"({"markupType":1})"), "pubContent: required key is missing");
    EXPECT_EQ(failure("[1]"), ": expected an object, found array");
}

TEST(CreativeTests, NativeObjectWithOptionalAssetsAbsent) {
    const auto creative = Creative::decode(creativeWith(nativeWith(R"(,"unknown":{"x":1})")));
    const auto* native = creative.pubContent.nativeModel();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->title.value, "T");
    EXPECT_FALSE(native->description.required);
    EXPECT_FALSE(native->icon);
    EXPECT_FALSE(native->rating);
    EXPECT_FALSE(native->cta);
    EXPECT_FALSE(native->adChoices);
    EXPECT_FALSE(native->onClick);
    ASSERT_NE(native->media.content.imageAssetModel(), nullptr);
    EXPECT_EQ(native->media.content.imageAssetModel()->url, "https://img.test/a.png");
}

TEST(CreativeTests, AnyInnerFailureSurfacesAsPubContentMismatch) {
    for (const char* key : {"sponsored", "title", "description", "media"}) {
        Json native = Json::parse(nativeWith(""));
        native.erase(key);
        EXPECT_EQ(failure(creativeWith(native.dump())), "pubContent: Wrong type for PubContentModel") << key;
    }
    EXPECT_EQ(failure(creativeWith(nativeWith(R"(,"onClick":{"url":"u","openMode":"1"})"))),
              "pubContent: Wrong type for PubContentModel");
    EXPECT_EQ(failure(creativeWith(nativeWith(R"(,"cta":{"required":1,"value":"Go"})"))),
              "pubContent: Wrong type for PubContentModel");
    EXPECT_EQ(failure(creativeWith(nativeWith("", R"({"type":2,"content":{"required":true}})"))),
              "pubContent: Wrong type for PubContentModel");
}

TEST(CreativeTests, ClickActions) {
    const auto creative = Creative::decode(creativeWith(nativeWith(
        R"(,"onClick":{"url":"https://land.test","openMode":9,"clickTrackers":["https://t.test/c"]},)"
        R"("cta":{"required":false,"value":"Go","onClick":{"url":"https://cta.test","openMode":null}},)"
        R"("icon":{"required":false,"url":"https://i.test","onClick":{"url":"x","openMode":2}})")));
    const auto& native = *creative.pubContent.nativeModel();
    EXPECT_EQ(native.onClick->openMode, OpenModeType::default_);
    EXPECT_EQ(native.onClick->clickTrackers, std::vector<std::string>{"https://t.test/c"});
    EXPECT_FALSE(native.cta->onClick->openMode);
    EXPECT_FALSE(native.cta->onClick->clickTrackers);
    EXPECT_EQ(native.icon->onClick->openMode, OpenModeType::safariBrowser);
}

TEST(CreativeTests, MediaContentShapeDecidesNotType) {
    const std::string both = R"({"required":true,"url":"https://img.test","vastXml":"<VAST/>",)"
                             R"("videoPlayerControls":{"mute":false,"autoPlay":true}})";
    auto creative = Creative::decode(creativeWith(nativeWith("", R"({"type":2,"content":)" + both + "}")));
    EXPECT_EQ(creative.pubContent.nativeModel()->media.type, MediaType::video);
    EXPECT_NE(creative.pubContent.nativeModel()->media.content.imageAssetModel(), nullptr);

    creative = Creative::decode(creativeWith(nativeWith("", R"({"type":2,"content":)" + video + "}")));
    const auto* content = creative.pubContent.nativeModel()->media.content.videoAssetModel();
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->vastXml, "<VAST/>");
    EXPECT_TRUE(content->videoPlayerControls.mute);

    const Json mediaReader = Json::parse(R"({"type":2,"content":{"required":true}})");
    try {
        MediaAssetModel::decode(JsonReader(mediaReader, "media"));
        FAIL() << "decoded";
    } catch (const JsonDecodingError& error) {
        EXPECT_EQ(error.path(), "media.content");
        EXPECT_EQ(error.reason(), "Wrong type for MediaAssetContentValue");
    }
}

TEST(CreativeTests, EncodingRoundTrips) {
    const std::string text = creativeWith(
        nativeWith(R"(,"rating":{"required":false,"value":"4.5"},"adChoices":{"required":false,"url":"https://ac.test"},)"
                   R"("onClick":{"url":"https://l.test","openMode":3,"clickTrackers":[]})",
                   R"({"type":2,"content":)" + video + "}"),
        "2", R"(,"creativeId":"c1")");
    const auto creative = Creative::decode(text);
    const Json encoded = creative.encode();
    // Same members and values; member order follows the record's field order.
    EXPECT_EQ(nlohmann::json::parse(encoded.dump()), nlohmann::json::parse(text));
    EXPECT_EQ(Creative::decode(encoded.dump()), creative);

    // Out-of-range enumerations come back as the default case.
    const auto outOfRange = Creative::decode(creativeWith(R"("QQ==")", "12"));
    EXPECT_EQ(outOfRange.encode()["markupType"], 0);
    EXPECT_EQ(outOfRange.encode()["pubContent"], "QQ==");
    EXPECT_FALSE(outOfRange.encode().contains("creativeId"));
}

}  // namespace
}  // namespace solen
