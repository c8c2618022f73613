#include "Ad/RenderEngine/MRAID/MRAIDProperties.h"

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include "Commons/Utilities/Utilities.h"

#include <cmath>

namespace solen {

namespace {

const Json* member(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

void requireObject(const Json& json, const char* type) {
    if (!json.is_object()) {
        throw JsonDecodingError(type, "expected an object");
    }
}

double numberOrZero(const Json& object, const char* key) {
    const Json* value = member(object, key);
    return value ? MRAIDValues::number(*value).value_or(0) : 0;
}

bool booleanOrFalse(const Json& object, const char* key) {
    const Json* value = member(object, key);
    return value ? MRAIDValues::boolean(*value).value_or(false) : false;
}

std::optional<std::string> text(const Json& object, const char* key) {
    const Json* value = member(object, key);
    return value && value->is_string() ? std::optional(value->get<std::string>()) : std::nullopt;
}

}  // namespace

std::optional<double> MRAIDValues::number(const Json& value) {
    std::optional<double> number;
    if (value.is_number()) {
        number = value.get<double>();
    } else if (value.is_string()) {
        number = VastAttributes::decimal(value.get_ref<const std::string&>());
    }
    return number && std::isfinite(*number) ? number : std::nullopt;
}

std::optional<bool> MRAIDValues::boolean(const Json& value) {
    if (value.is_boolean()) {
        return value.get<bool>();
    }
    if (value.is_string()) {
        const auto& text = value.get_ref<const std::string&>();
        if (text == "true" || text == "false") {
            return text == "true";
        }
    }
    return std::nullopt;
}

MRAIDExpandProperties MRAIDExpandProperties::decode(const Json& json) {
    requireObject(json, "MRAIDExpandProperties");
    MRAIDExpandProperties properties;
    properties.width = numberOrZero(json, "width");
    properties.height = numberOrZero(json, "height");
    properties.useCustomClose = booleanOrFalse(json, "close");
    const Json* modal = member(json, "isModal");
    // Any other text leaves the field unknown; a missing key or another kind of value is false.
    properties.isModal = modal && modal->is_string() ? MRAIDValues::boolean(*modal) : booleanOrFalse(json, "isModal");
    return properties;
}

Json MRAIDExpandProperties::encode() const {
    Json json = Json::object();
    if (width) json["width"] = *width;
    if (height) json["height"] = *height;
    if (useCustomClose) json["close"] = *useCustomClose;
    if (isModal) json["isModal"] = *isModal;
    return json;
}

MRAIDResizeProperties MRAIDResizeProperties::decode(const Json& json) {
    requireObject(json, "MRAIDResizeProperties");
    MRAIDResizeProperties properties;
    properties.width = numberOrZero(json, "width");
    properties.height = numberOrZero(json, "height");
    properties.offsetX = numberOrZero(json, "offsetX");
    properties.offsetY = numberOrZero(json, "offsetY");
    properties.allowOffScreen = booleanOrFalse(json, "allowOffscreen");
    properties.closeButtonPosition =
        text(json, "closeButtonPosition").value_or(text(json, "customClosePosition").value_or("top-right"));
    return properties;
}

Json MRAIDResizeProperties::encode() const {
    return Json{{"width", width},       {"height", height},
                {"offsetX", offsetX},   {"offsetY", offsetY},
                {"allowOffscreen", allowOffScreen}, {"closeButtonPosition", closeButtonPosition}};
}

MRAIDOrientationPropertites MRAIDOrientationPropertites::decode(const Json& json) {
    requireObject(json, "MRAIDOrientationPropertites");
    const Json* allow = member(json, "allowOrientationChange");
    const std::optional<bool> allowed = allow ? MRAIDValues::boolean(*allow) : std::nullopt;
    if (!allowed) {
        throw JsonDecodingError("allowOrientationChange", "expected a Boolean");
    }
    MRAIDOrientationPropertites properties;
    properties.allowOrientationChange = *allowed;
    for (auto [key, field] : {std::pair{"forceOrientation", &properties.forceOrientation}, std::pair{"direction", &properties.direction}}) {
        auto value = text(json, key);
        if (!value) {
            throw JsonDecodingError(key, "expected a text");
        }
        *field = std::move(*value);
    }
    return properties;
}

Json MRAIDOrientationPropertites::encode() const {
    return Json{{"allowOrientationChange", allowOrientationChange}, {"forceOrientation", forceOrientation}, {"direction", direction}};
}

namespace {

platform::InterfaceOrientation currentOrientation() {
    return static_cast<platform::InterfaceOrientation>(Utilities::interfaceOrientation());
}

bool isLandscape(platform::InterfaceOrientation orientation) {
    return orientation == platform::InterfaceOrientation::landscapeRight || orientation == platform::InterfaceOrientation::landscapeLeft;
}

}  // namespace

platform::InterfaceOrientationMask MRAIDOrientationPropertites::supportedInterfaceOrientations() const {
    using Mask = platform::InterfaceOrientationMask;
    const platform::InterfaceOrientation current = currentOrientation();
    if (forceOrientation == "landscape") {
        if (current == platform::InterfaceOrientation::landscapeRight) return Mask::landscapeRight;
        if (current == platform::InterfaceOrientation::landscapeLeft) return Mask::landscapeLeft;
        return direction == "left" ? Mask::landscapeLeft : Mask::landscapeRight;
    }
    if (forceOrientation == "portrait") {
        return static_cast<Mask>(static_cast<unsigned>(Mask::portrait) | static_cast<unsigned>(Mask::portraitUpsideDown));
    }
    return Mask::all;
}

platform::InterfaceOrientation MRAIDOrientationPropertites::preferredInterfaceOrientation() const {
    using Orientation = platform::InterfaceOrientation;
    const Orientation current = currentOrientation();
    if (forceOrientation == "landscape") {
        if (isLandscape(current)) return current;
        return direction == "left" ? Orientation::landscapeLeft : Orientation::landscapeRight;
    }
    if (forceOrientation == "portrait") {
        return current == Orientation::portrait || current == Orientation::portraitUpsideDown ? current : Orientation::portrait;
    }
    return current;
}

}  // namespace solen
