#pragma once

#include <solen/ui/Error.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace solen {

// Why a native asset could not load, with the name of the asset that failed (never an address).
// As a platform error it has the domain "Solen.AssetError", the code of its case and the
// description "SOL-<code> <case>-<asset name>" ("SOL-102 emptyAssetValue-title"); failure reason
// and recovery suggestion are absent and the extra information is empty.
class AssetError {
public:
    enum class Code : std::int64_t { invalidAssetUrl = 101, emptyAssetValue = 102, failToDownloadImage = 103 };

    // The image's address is missing or cannot be parsed, or a resource image is not in the bundle.
    static AssetError invalidAssetUrl(std::string assetName) { return {Code::invalidAssetUrl, std::move(assetName)}; }
    // A text asset's value is empty.
    static AssetError emptyAssetValue(std::string assetName) { return {Code::emptyAssetValue, std::move(assetName)}; }
    // The image could not be downloaded or the body is not an image.
    static AssetError failToDownloadImage(std::string assetName) {
        return {Code::failToDownloadImage, std::move(assetName)};
    }

    Code code() const { return code_; }
    std::int64_t errorCode() const { return static_cast<std::int64_t>(code_); }
    // The asset name the error carries.
    const std::string& detail() const { return detail_; }
    std::string localizedDescription() const;
    platform::Error toError() const;

    static std::string_view domain() { return "Solen.AssetError"; }
    // "invalidAssetUrl", "emptyAssetValue" or "failToDownloadImage".
    static std::string_view caseName(Code code);

    friend bool operator==(const AssetError&, const AssetError&) = default;

private:
    AssetError(Code code, std::string detail) : code_(code), detail_(std::move(detail)) {}

    Code code_;
    std::string detail_;
};

}  // namespace solen
