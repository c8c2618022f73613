#include "Ad/RenderEngine/Native/Creative.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

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

TEST(CreativeTests, MarkupTypeCreativeIdAndPubContentRules) {
    EXPECT_EQ(Creative::decode(creativeWith(R"("QQ==")", "1")).markupType, MarkupType::encodedS2s);
    EXPECT_EQ(Creative::decode(creativeWith(R"("QQ==")", "-1")).markupType, MarkupType::default_);
    const auto withoutId = Creative::decode(creativeWith(R"("")", "1", R"(,"creativeId":null)"));
    EXPECT_FALSE(withoutId.creativeId);
    ASSERT_NE(withoutId.pubContent.encodedAdMarkupString(), nullptr);
    EXPECT_EQ(*withoutId.pubContent.encodedAdMarkupString(), "");

    const std::vector<std::pair<std::string, std::string>> failures = {
        {creativeWith(R"("QQ==")", R"("1")"), "markupType: Wrong type for MyValue"},
        {creativeWith(R"("QQ==")", "1.5"), "markupType: Wrong type for MyValue"},
        {R"({"pubContent":"QQ=="})", "markupType: required key is missing"},
        {creativeWith("5"), "pubContent: Wrong type for PubContentModel"},
        {creativeWith("null"), "pubContent: Wrong type for PubContentModel"},
        {R"({"markupType":1})", "pubContent: required key is missing"},
        {"[1]", ": expected an object, found array"},
    };
    for (const auto& [text, expected] : failures) {
        EXPECT_EQ(failure(text), expected) << text;
    }
}

// The three worded failures are type mismatches that name the type they expected.
TEST(CreativeTests, WordedFailuresAreTypeMismatchesOfTheirType) {
    const auto mismatch = [](const std::function<void()>& decode) {
        try {
            decode();
        } catch (const JsonDecodingError& error) {
            EXPECT_EQ(error.kind(), JsonDecodingError::Kind::typeMismatch);
            return error.reason() + " / " + error.expectedType();
        }
        return std::string("<decoded>");
    };
    EXPECT_EQ(mismatch([] { Creative::decode(creativeWith("[]")); }), "Wrong type for PubContentModel / PubContentModel");
    EXPECT_EQ(mismatch([] { Creative::decode(creativeWith(R"("QQ==")", "true")); }), "Wrong type for MyValue / MarkupType");
    EXPECT_EQ(mismatch([] { JsonReader::decode<MediaAssetContentValue>(R"({"required":true})"); }),
              "Wrong type for MediaAssetContentValue / MediaAssetContentValue");
}

TEST(CreativeTests, NativeObjectWithOptionalAssetsAbsent) {
    const auto creative = Creative::decode(creativeWith(nativeWith(R"(,"unknown":{"x":1})")));
    const auto* native = creative.pubContent.nativeModel();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->title.value, "T");
    EXPECT_FALSE(native->icon);
    EXPECT_FALSE(native->onClick);

    // An unknown open mode falls back to the default; a null one is absent.
    const auto clicks = Creative::decode(creativeWith(nativeWith(
        R"(,"onClick":{"url":"https://land.test","openMode":9},)"
        R"("cta":{"required":false,"value":"Go","onClick":{"url":"https://cta.test","openMode":null}})")));
    EXPECT_EQ(clicks.pubContent.nativeModel()->onClick->openMode, OpenModeType::default_);
    EXPECT_FALSE(clicks.pubContent.nativeModel()->cta->onClick->openMode);
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
    EXPECT_EQ(failure(creativeWith(nativeWith("", R"({"type":2,"content":{"required":true}})"))),
              "pubContent: Wrong type for PubContentModel");
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
    EXPECT_TRUE(content->videoPlayerControls.mute);
}

}  // namespace
}  // namespace solen
