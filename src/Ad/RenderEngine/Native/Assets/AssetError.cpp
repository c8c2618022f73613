#include "Ad/RenderEngine/Native/Assets/AssetError.h"

namespace solen {

std::string_view AssetError::caseName(Code code) {
    switch (code) {
        case Code::invalidAssetUrl: return "invalidAssetUrl";
        case Code::emptyAssetValue: return "emptyAssetValue";
        case Code::failToDownloadImage: return "failToDownloadImage";
    }
    return "";
}

std::string AssetError::localizedDescription() const {
    std::string text = "SOL-" + std::to_string(errorCode()) + " ";
    text += caseName(code_);
    text += "-";
    text += detail_;
    return text;
}

platform::Error AssetError::toError() const {
    platform::Error error;
    error.domain = std::string(domain());
    error.code = errorCode();
    error.localizedDescription = localizedDescription();
    return error;
}

}  // namespace solen
