#include "Ad/RenderEngine/Vast/Model/VMAPAdSource.h"

#include <cctype>

namespace solen {

namespace {

// These two attributes are true only when they say "true", in any letter case.
bool isTrue(const std::optional<std::string>& text) {
    if (!text || text->size() != 4) {
        return false;
    }
    std::string lowered = *text;
    for (char& c : lowered) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lowered == "true";
}

}  // namespace

std::string_view rawValue(VMAPAdSourceTemplate value) {
    switch (value) {
        case VMAPAdSourceTemplate::vast1: return "vast1";
        case VMAPAdSourceTemplate::vast2: return "vast2";
        case VMAPAdSourceTemplate::vast3: return "vast3";
        case VMAPAdSourceTemplate::vast4: return "vast4";
        case VMAPAdSourceTemplate::proprietary: return "proprietary";
        case VMAPAdSourceTemplate::unknown: return "unknown";
    }
    return "unknown";
}

VMAPAdSourceTemplate vmapAdSourceTemplateFromRawValue(std::string_view text) {
    for (VMAPAdSourceTemplate value : {VMAPAdSourceTemplate::vast1, VMAPAdSourceTemplate::vast2, VMAPAdSourceTemplate::vast3, VMAPAdSourceTemplate::vast4, VMAPAdSourceTemplate::proprietary, VMAPAdSourceTemplate::unknown}) {
        if (rawValue(value) == text) {
            return value;
        }
    }
    return VMAPAdSourceTemplate::unknown;
}

VMAPAdSource VMAPAdSource::fromAttributes(const VastAttributes::Map& attributes) {
    VMAPAdSource r;
    r.allowMultipleAds = isTrue(VastAttributes::text(attributes, "allowMultipleAds"));
    r.followRedirects = isTrue(VastAttributes::text(attributes, "followRedirects"));
    r.id = VastAttributes::text(attributes, "id").value_or("");
    return r;
}

}  // namespace solen
