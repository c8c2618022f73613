#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorCodes.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorMacro.h"
#include "Ad/RenderEngine/Vast/Parser/VastDurationParser.h"
#include "Ad/RenderEngine/Vast/Parser/VastTrackingUrlSender.h"
#include "Platform/Foundation/CharacterSet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace solen {

using platform::URL;
using platform::XmlAttributes;

// The elements the parser reads; every other name is ignored.
enum class VastElement : int {
    vast, error, ad, inLine, wrapper, adSystem, adTitle, impression, category, description, advertiser,
    pricing, survey, viewableImpression, viewable, notViewable, viewUndetermined, verification,
    javaScriptResource, flashResource, verificationParameters, vastAdTagUri, extension,
    creativeParameters, creativeParameter, creative, universalAdId, creativeExtension, linear, duration,
    adParameters, mediaFile, interactiveCreativeFile, clickThrough, clickTracking, customClick, tracking,
    trackingEvents, icon, iconClicks, iconClickThrough, iconClickTracking, iconViewTracking, nonLinearAds,
    nonLinear, nonLinearClickTracking, staticResource, iFrameResource, htmlResource, companionAds,
    companion, altText, companionClickThrough, companionClickTracking,
};

namespace {

struct ElementName {
    std::string_view name;
    VastElement element;
};

constexpr ElementName elementNameTable[] = {
    {"VAST", VastElement::vast},
    {"Error", VastElement::error},
    {"Ad", VastElement::ad},
    {"InLine", VastElement::inLine},
    {"Wrapper", VastElement::wrapper},
    {"AdSystem", VastElement::adSystem},
    {"AdTitle", VastElement::adTitle},
    {"Impression", VastElement::impression},
    {"Category", VastElement::category},
    {"Description", VastElement::description},
    {"Advertiser", VastElement::advertiser},
    {"Pricing", VastElement::pricing},
    {"Survey", VastElement::survey},
    {"ViewableImpression", VastElement::viewableImpression},
    {"Viewable", VastElement::viewable},
    {"NotViewable", VastElement::notViewable},
    {"ViewUndetermined", VastElement::viewUndetermined},
    {"Verification", VastElement::verification},
    {"JavaScriptResource", VastElement::javaScriptResource},
    {"FlashResource", VastElement::flashResource},
    {"VerificationParameters", VastElement::verificationParameters},
    {"VASTAdTagURI", VastElement::vastAdTagUri},
    {"Extension", VastElement::extension},
    {"CreativeParameters", VastElement::creativeParameters},
    {"CreativeParameter", VastElement::creativeParameter},
    {"Creative", VastElement::creative},
    {"UniversalAdId", VastElement::universalAdId},
    {"CreativeExtension", VastElement::creativeExtension},
    {"Linear", VastElement::linear},
    {"Duration", VastElement::duration},
    {"AdParameters", VastElement::adParameters},
    {"adParameters", VastElement::adParameters},
    {"MediaFile", VastElement::mediaFile},
    {"InteractiveCreativeFile", VastElement::interactiveCreativeFile},
    {"ClickThrough", VastElement::clickThrough},
    {"ClickTracking", VastElement::clickTracking},
    {"CustomClick", VastElement::customClick},
    {"Tracking", VastElement::tracking},
    {"TrackingEvents", VastElement::trackingEvents},
    {"Icon", VastElement::icon},
    {"IconClicks", VastElement::iconClicks},
    {"IconClickThrough", VastElement::iconClickThrough},
    {"IconClickTracking", VastElement::iconClickTracking},
    {"IconViewTracking", VastElement::iconViewTracking},
    {"NonLinearAds", VastElement::nonLinearAds},
    {"NonLinear", VastElement::nonLinear},
    {"NonLinearClickTracking", VastElement::nonLinearClickTracking},
    {"StaticResource", VastElement::staticResource},
    {"IFrameResource", VastElement::iFrameResource},
    {"HTMLResource", VastElement::htmlResource},
    {"CompanionAds", VastElement::companionAds},
    {"Companion", VastElement::companion},
    {"AltText", VastElement::altText},
    {"CompanionClickThrough", VastElement::companionClickThrough},
    {"CompanionClickTracking", VastElement::companionClickTracking},
};

// The element read under a name, or none: an open-addressed table built at compile time, keyed
// by the length and three letters of the name, so a lookup mostly compares one name.
constexpr std::size_t elementSlotCount = 256;

constexpr std::size_t elementNameHash(std::string_view name) {
    const auto at = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(name[i])); };
    return (name.size() * 31u + at(0) * 7u + at(name.size() / 2) * 3u + at(name.size() - 1)) % elementSlotCount;
}

struct ElementSlot {
    std::string_view name;
    VastElement element{};
};

constexpr std::array<ElementSlot, elementSlotCount> elementSlots = [] {
    std::array<ElementSlot, elementSlotCount> slots{};
    for (const ElementName& entry : elementNameTable) {
        std::size_t i = elementNameHash(entry.name);
        while (!slots[i].name.empty()) {
            i = (i + 1) % elementSlotCount;
        }
        slots[i] = ElementSlot{entry.name, entry.element};
    }
    return slots;
}();

std::optional<VastElement> elementNamed(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = elementNameHash(name); !elementSlots[i].name.empty(); i = (i + 1) % elementSlotCount) {
        if (elementSlots[i].name == name) {
            return elementSlots[i].element;
        }
    }
    return std::nullopt;
}

// The text without leading and trailing white space and line breaks. Most texts are a URL, a word
// or the white space between two tags: ASCII blanks are skipped here, and only text that still
// starts or ends outside ASCII goes through the full trim.
std::string_view trimmedText(std::string_view text) {
    const auto asciiBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && asciiBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && asciiBlank(text.back())) {
        text.remove_suffix(1);
    }
    const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    if (!text.empty() && (!ascii(text.front()) || !ascii(text.back()))) {
        text = VastAttributes::trimmed(text);
    }
    return text;
}

// Trims a text that is kept rather than cleared (outside a valid document nothing is cleared), so
// that it costs nothing per element end however long it grows.
void trimInPlace(std::string& text) {
    const std::string_view kept = trimmedText(text);
    if (kept.size() == text.size()) {
        return;
    }
    const std::size_t begin = static_cast<std::size_t>(kept.data() - text.data());
    const std::size_t length = kept.size();
    text.resize(begin + length);
    if (begin > 0) {
        text.erase(0, begin);
    }
}

}  // namespace

struct VastXMLParser::Slots {
    std::optional<VastAd> currentVastAd;
    std::optional<VastWrapper> currentWrapper;
    std::optional<VastAdSystem> currentAdSystem;
    std::optional<VastImpression> currentVastImpression;
    std::optional<VastAdCategory> currentVastCategory;
    std::optional<VastPricing> currentVastPricing;
    std::optional<VastSurvey> currentSurvey;
    std::optional<VastViewableImpression> currentViewableImpression;
    std::optional<VastVerification> currentVerification;
    std::optional<VastResource> currentResource;
    std::optional<VastViewableImpression> currentVerificationViewableImpression;
    std::optional<VastAdVerificationParameters> currentAdVerificationParameters;
    std::optional<VastCreative> currentCreative;
    std::optional<VastLinearCreative> currentLinearCreative;
    std::optional<VastNonLinearAdsCreative> currentNonLinearAdsCreative;
    std::optional<VastNonLinear> currentNonLinear;
    std::optional<VastUniversalAdId> currentUniversalAdId;
    std::optional<VastCreativeExtension> currentCreativeExtension;
    std::optional<VastTrackingEvent> currentTrackingEvent;
    std::optional<VastVideoClick> currentVideoClick;
    std::optional<VastMediaFile> currentMediaFile;
    std::optional<VastInteractiveCreativeFile> currentInteractiveCreativeFile;
    std::optional<VastIcon> currentIcon;
    std::optional<VastStaticResource> currentStaticResource;
    std::optional<VastIconClickTracking> currentIconClickTracking;
    std::optional<VastExtension> currentVastExtension;
    std::optional<VastAdParameters> currentAdParameters;
    std::vector<VastCreativeParameter> creativeParameters;
    std::optional<VastCreativeParameter> currentCreativeParameter;
    std::optional<VastCompanionCreative> currentCompanionCreative;
    // The element of every open tag, innermost last (absent for names the parser does not read).
    std::vector<std::optional<VastElement>> openElements;
};

namespace {

// Attaches a finished record: moves it out of its slot into the parent's list, when the parent
// is open, and closes the slot in any case.
template <class Record, class Parent, class Member>
void appendAndClose(std::optional<Record>& slot, std::optional<Parent>& parent, Member member) {
    if (parent) {
        auto& list = (*parent).*member;
        // Room for a few from the first one: most lists of a document hold several records, and
        // growing one at a time would move them again and again.
        if (list.capacity() == 0) {
            list.reserve(4);
        }
        list.push_back(std::move(*slot));
    }
    slot.reset();
}

template <class Record, class Parent, class Member>
void assignAndClose(std::optional<Record>& slot, std::optional<Parent>& parent, Member member) {
    if (parent) {
        (*parent).*member = std::move(*slot);
    }
    slot.reset();
}

}  // namespace

std::shared_ptr<VastXMLParser> VastXMLParser::create(TrackingUrlSender sender) {
    // The parser and its reference count in one allocation.
    struct Made : VastXMLParser {
        explicit Made(TrackingUrlSender sender) : VastXMLParser(std::move(sender)) {}
    };
    return std::make_shared<Made>(std::move(sender));
}

VastXMLParser::VastXMLParser(TrackingUrlSender sender)
    // Default-initialised on purpose: every slot starts empty, and the records' storage (several
    // kilobytes) need not be zeroed first, as value-initialisation would.
    : sender_(std::move(sender)), slots_(new Slots) {
    // Room for the usual nesting depth and element text, so that neither grows step by step.
    slots_->openElements.reserve(16);
    currentContent_.reserve(128);
}

VastXMLParser::~VastXMLParser() = default;

VastParseResult VastXMLParser::parse(std::string_view xml) {
    if (!platform::isValidUtf8(xml)) {
        return VastParseResult::failure(VastError::invalidXMLDocument);
    }
    // The text is known to be UTF-8, whatever its declaration says.
    // Read in place: the text outlives the parse, which ends before this call returns.
    xmlParser = std::make_shared<platform::XmlEventReader>(platform::XmlEventReader::BorrowedText{xml},
                                                           std::string("UTF-8"));
    return parseDocument();
}

VastParseResult VastXMLParser::parseDocument() {
    if (!xmlParser) {
        return VastParseResult::failure(VastError::unableToCreateXMLParser);
    }
    xmlParser->setDelegate(weak_from_this());
    if (!xmlParser->parse()) {
        return VastParseResult::failure(VastError::unableToParseDocument);
    }
    if (!validVastDocument_) {
        return VastParseResult::failure(VastError::invalidVASTDocument);
    }
    if (fatalError_) {
        return VastParseResult::failure(VastError::invalidXMLDocument);
    }
    if (!vastModel_) {
        return VastParseResult::failure(VastError::internalError);
    }
    if (vastModel_->ads.empty() && !vastModel_->errors.empty()) {
        fireNoAdsErrors();
    }
    // The parser is done with the document: the model is handed over rather than copied.
    VastParseResult result = VastParseResult::success(std::move(*vastModel_));
    vastModel_.reset();
    return result;
}

// A document without ads reports VAST error 303 to its document-level Error addresses. The model
// keeps the addresses as written.
void VastXMLParser::fireNoAdsErrors() const {
    std::vector<URL> urls;
    urls.reserve(vastModel_->errors.size());
    for (const URL& url : vastModel_->errors) {
        urls.push_back(VastErrorMacro::applying(url, vastErrorCodeValue(VastErrorCodes::noAdsVastResponse)));
    }
    if (sender_) {
        sender_(urls, std::string(noAdsEvent));
    } else {
        VastTrackingUrlSender::fire(urls, std::string(noAdsEvent));
    }
}

void VastXMLParser::didStartElement(platform::XmlEventReader&, const std::string& name,
                                    const XmlAttributes& attributes) {
    handleStartElement(name, attributes);
}

void VastXMLParser::didEndElement(platform::XmlEventReader&, const std::string& name) { handleEndElement(name); }

void VastXMLParser::didStartTag(platform::XmlEventReader&, std::string_view name,
                                const platform::XmlAttributeList& attributes) {
    handleStartElement(name, attributes);
}

void VastXMLParser::didEndTag(platform::XmlEventReader&, std::string_view name) { handleEndElement(name); }

void VastXMLParser::foundCharacters(platform::XmlEventReader&, std::string_view characters) {
    currentContent_.append(characters);
}

void VastXMLParser::foundCDATA(platform::XmlEventReader&, std::string_view block) {
    if (platform::isValidUtf8(block)) {
        currentContent_.append(block);
    }
}

void VastXMLParser::parseErrorOccurred(platform::XmlEventReader&, const platform::XmlParseError& error) {
    fatalError_ = error;
}

void VastXMLParser::handleStartElement(std::string_view name, const platform::XmlAttributeList& attributes) {
    // Each element is looked up once: its end takes it back from the stack of open elements.
    const std::optional<VastElement> found = elementNamed(name);
    slots_->openElements.push_back(found);
    if (!validVastDocument_) {
        if (!parsedFirstElement_) {
            parsedFirstElement_ = true;
            if (name == "VAST") {
                validVastDocument_ = true;
                vastModel_ = VastModel::fromAttributes(attributes);
            }
        }
        if (!validVastDocument_) {
            return;
        }
    }
    if (fatalError_ || !found) {
        return;
    }
    start(*found, attributes);
}

void VastXMLParser::start(VastElement element, const platform::XmlAttributeList& attributes) {
    using Element = VastElement;
    Slots& s = *slots_;
    switch (element) {
        case Element::ad: s.currentVastAd = VastAd::fromAttributes(attributes); break;
        case Element::wrapper: s.currentWrapper = VastWrapper::fromAttributes(attributes); break;
        case Element::adSystem: s.currentAdSystem = VastAdSystem::fromAttributes(attributes); break;
        case Element::impression: s.currentVastImpression = VastImpression::fromAttributes(attributes); break;
        case Element::category: s.currentVastCategory = VastAdCategory::fromAttributes(attributes); break;
        case Element::pricing: s.currentVastPricing = VastPricing::fromAttributes(attributes); break;
        case Element::survey: s.currentSurvey = VastSurvey::fromAttributes(attributes); break;
        case Element::viewableImpression:
            if (s.currentVerification) {
                s.currentVerificationViewableImpression = VastViewableImpression::fromAttributes(attributes);
            } else {
                s.currentViewableImpression = VastViewableImpression::fromAttributes(attributes);
            }
            break;
        case Element::verification: s.currentVerification = VastVerification::fromAttributes(attributes); break;
        case Element::javaScriptResource:
        case Element::flashResource: s.currentResource = VastResource::fromAttributes(attributes); break;
        case Element::verificationParameters: s.currentAdVerificationParameters = VastAdVerificationParameters{}; break;
        case Element::extension: s.currentVastExtension = VastExtension::fromAttributes(attributes); break;
        case Element::creativeParameter:
            s.currentCreativeParameter = VastCreativeParameter::fromAttributes(attributes);
            break;
        case Element::creative: s.currentCreative = VastCreative::fromAttributes(attributes); break;
        case Element::universalAdId: s.currentUniversalAdId = VastUniversalAdId::fromAttributes(attributes); break;
        case Element::creativeExtension:
            s.currentCreativeExtension = VastCreativeExtension::fromAttributes(attributes);
            break;
        case Element::linear: s.currentLinearCreative = VastLinearCreative::fromAttributes(attributes); break;
        case Element::adParameters: s.currentAdParameters = VastAdParameters::fromAttributes(attributes); break;
        case Element::mediaFile: s.currentMediaFile = VastMediaFile::fromAttributes(attributes); break;
        case Element::interactiveCreativeFile:
            s.currentInteractiveCreativeFile = VastInteractiveCreativeFile::fromAttributes(attributes);
            break;
        case Element::clickThrough:
            s.currentVideoClick = VastVideoClick::fromAttributes(ClickType::clickThrough, attributes);
            break;
        case Element::clickTracking:
            s.currentVideoClick = VastVideoClick::fromAttributes(ClickType::clickTracking, attributes);
            break;
        case Element::customClick:
            s.currentVideoClick = VastVideoClick::fromAttributes(ClickType::customClick, attributes);
            break;
        case Element::tracking: s.currentTrackingEvent = VastTrackingEvent::fromAttributes(attributes); break;
        case Element::icon: s.currentIcon = VastIcon::fromAttributes(attributes); break;
        case Element::iconClicks:
            if (s.currentIcon) {
                s.currentIcon->iconClicks = IconClicks{};
            }
            break;
        case Element::iconClickTracking:
            s.currentIconClickTracking = VastIconClickTracking::fromAttributes(attributes);
            break;
        case Element::nonLinearAds: s.currentNonLinearAdsCreative = VastNonLinearAdsCreative{}; break;
        case Element::nonLinear: s.currentNonLinear = VastNonLinear::fromAttributes(attributes); break;
        case Element::staticResource: s.currentStaticResource = VastStaticResource::fromAttributes(attributes); break;
        case Element::companionAds:
            if (s.currentCreative) {
                s.currentCreative->companionAds = VastCompanionAds::fromAttributes(attributes);
            }
            break;
        case Element::companion:
            s.currentCompanionCreative = VastCompanionCreative::fromAttributes(attributes);
            break;
        default:
            break;
    }
}

void VastXMLParser::handleEndElement(std::string_view name) {
    std::optional<VastElement> found;
    if (auto& open = slots_->openElements; !open.empty()) {
        found = open.back();
        open.pop_back();
    } else {
        found = elementNamed(name);
    }
    if (!validVastDocument_ || fatalError_) {
        trimInPlace(currentContent_);
        return;
    }
    // The text is read trimmed where it lies, then cleared.
    if (found) {
        end(*found, trimmedText(currentContent_));
    }
    currentContent_.clear();
}

void VastXMLParser::end(VastElement element, std::string_view text) {
    using Element = VastElement;
    Slots& s = *slots_;
    auto& ad = s.currentVastAd;
    switch (element) {
        case Element::vast:
            if (vastModel_ && completeClosure) {
                // The closure may hand the rest of the document to another receiver; keep this
                // parser alive for the length of the call.
                const auto self = shared_from_this();
                const CompleteClosure closure = completeClosure;
                closure(std::nullopt, *vastModel_);
            }
            break;
        case Element::error:
            if (auto url = VastAttributes::address(text)) {
                if (ad) {
                    ad->errors.push_back(std::move(*url));
                } else if (vastModel_) {
                    vastModel_->errors.push_back(std::move(*url));
                }
            }
            break;
        case Element::ad:
            if (ad) {
                vastModel_->ads.push_back(std::move(*ad));
                ad.reset();
            }
            break;
        case Element::inLine:
            if (ad) {
                ad->type = AdType::inLine;
            }
            break;
        case Element::wrapper:
            if (s.currentWrapper) {
                assignAndClose(s.currentWrapper, ad, &VastAd::wrapper);
            }
            if (ad) {
                ad->type = AdType::wrapper;
            }
            break;
        case Element::adSystem:
            if (s.currentAdSystem) {
                s.currentAdSystem->system = std::string(text);
                assignAndClose(s.currentAdSystem, ad, &VastAd::adSystem);
            }
            break;
        case Element::adTitle:
            if (ad) {
                ad->adTitle = std::string(text);
            }
            break;
        case Element::impression:
            if (s.currentVastImpression) {
                s.currentVastImpression->url = VastAttributes::address(text);
                appendAndClose(s.currentVastImpression, ad, &VastAd::impressions);
            }
            break;
        case Element::category:
            if (s.currentVastCategory) {
                if (!text.empty()) {
                    s.currentVastCategory->category = std::string(text);
                }
                appendAndClose(s.currentVastCategory, ad, &VastAd::adCategories);
            }
            break;
        case Element::description:
            if (ad) {
                ad->description = std::string(text);
            }
            break;
        case Element::advertiser:
            if (ad) {
                ad->advertiser = std::string(text);
            }
            break;
        case Element::pricing:
            if (s.currentVastPricing) {
                const std::optional<double> price = VastAttributes::decimal(text);
                if (price && std::isfinite(*price)) {
                    s.currentVastPricing->pricing = price;
                }
                assignAndClose(s.currentVastPricing, ad, &VastAd::pricing);
            }
            break;
        case Element::survey:
            if (s.currentSurvey) {
                s.currentSurvey->survey = VastAttributes::address(text);
                appendAndClose(s.currentSurvey, ad, &VastAd::surveys);
            }
            break;
        case Element::viewableImpression: {
            if (s.currentVerificationViewableImpression) {
                if (auto url = VastAttributes::address(text)) {
                    s.currentVerificationViewableImpression->url = std::move(url);
                }
            }
            if (!s.currentVerification) {
                if (ad) {
                    ad->viewableImpression = std::move(s.currentViewableImpression);
                }
                s.currentViewableImpression.reset();
            } else {
                s.currentVerification->viewableImpression = std::move(s.currentVerificationViewableImpression);
                s.currentVerificationViewableImpression.reset();
            }
            break;
        }
        case Element::viewable:
        case Element::notViewable:
        case Element::viewUndetermined:
            if (s.currentViewableImpression) {
                if (auto url = VastAttributes::address(text)) {
                    auto& list = element == Element::viewable      ? s.currentViewableImpression->viewable
                                 : element == Element::notViewable ? s.currentViewableImpression->notViewable
                                                                   : s.currentViewableImpression->viewUndetermined;
                    list.push_back(std::move(*url));
                }
            }
            break;
        case Element::verification:
            if (s.currentVerification) {
                appendAndClose(s.currentVerification, ad, &VastAd::adVerifications);
            }
            break;
        case Element::javaScriptResource:
        case Element::flashResource:
            if (s.currentResource) {
                s.currentResource->url = VastAttributes::address(text);
                appendAndClose(s.currentResource, s.currentVerification,
                               element == Element::javaScriptResource ? &VastVerification::javaScriptResource
                                                                      : &VastVerification::flashResources);
            }
            break;
        case Element::verificationParameters:
            if (s.currentAdVerificationParameters) {
                if (s.currentVerification) {
                    s.currentVerification->verificationParameters = VastAdVerificationParameters{std::string(text)};
                }
                s.currentAdVerificationParameters.reset();
            }
            break;
        case Element::vastAdTagUri:
            if (s.currentWrapper) {
                s.currentWrapper->adTagUri = VastAttributes::address(text);
            }
            break;
        case Element::extension:
            if (s.currentVastExtension) {
                appendAndClose(s.currentVastExtension, ad, &VastAd::extensions);
            }
            break;
        case Element::creativeParameters:
            if (s.currentVastExtension) {
                s.currentVastExtension->creativeParameters = std::move(s.creativeParameters);
            }
            s.creativeParameters.clear();
            break;
        case Element::creativeParameter:
            if (s.currentCreativeParameter) {
                s.currentCreativeParameter->content = std::string(text);
                s.creativeParameters.push_back(std::move(*s.currentCreativeParameter));
                s.currentCreativeParameter.reset();
            }
            break;
        case Element::creative:
            if (s.currentCreative) {
                appendAndClose(s.currentCreative, ad, &VastAd::creatives);
            }
            s.currentUniversalAdId.reset();
            s.currentCreativeExtension.reset();
            break;
        case Element::universalAdId:
            if (s.currentUniversalAdId) {
                s.currentUniversalAdId->uniqueCreativeId = std::string(text);
                assignAndClose(s.currentUniversalAdId, s.currentCreative, &VastCreative::universalAdId);
            }
            break;
        case Element::creativeExtension:
            if (s.currentCreativeExtension) {
                s.currentCreativeExtension->content = std::string(text);
                appendAndClose(s.currentCreativeExtension, s.currentCreative, &VastCreative::creativeExtensions);
            }
            break;
        case Element::linear:
            if (s.currentLinearCreative) {
                assignAndClose(s.currentLinearCreative, s.currentCreative, &VastCreative::linear);
            }
            break;
        case Element::duration:
            if (s.currentLinearCreative) {
                s.currentLinearCreative->duration = parseVastDuration(text).value_or(-1.0);
            }
            break;
        case Element::adParameters:
            if (s.currentAdParameters) {
                s.currentAdParameters->content = std::string(text);
                if (s.currentCompanionCreative) {
                    assignAndClose(s.currentAdParameters, s.currentCompanionCreative, &VastCompanionCreative::adParameters);
                } else {
                    assignAndClose(s.currentAdParameters, s.currentLinearCreative, &VastLinearCreative::adParameters);
                }
            }
            break;
        case Element::mediaFile:
            if (s.currentMediaFile) {
                s.currentMediaFile->url = VastAttributes::address(text);
                if (s.currentLinearCreative) {
                    s.currentLinearCreative->files.mediaFiles.push_back(std::move(*s.currentMediaFile));
                }
                s.currentMediaFile.reset();
            }
            break;
        case Element::interactiveCreativeFile:
            if (s.currentInteractiveCreativeFile) {
                s.currentInteractiveCreativeFile->url = VastAttributes::address(text);
                if (s.currentLinearCreative) {
                    s.currentLinearCreative->files.interactiveCreativeFiles.push_back(
                        std::move(*s.currentInteractiveCreativeFile));
                }
                s.currentInteractiveCreativeFile.reset();
            }
            break;
        case Element::clickThrough:
        case Element::clickTracking:
        case Element::customClick:
            if (s.currentVideoClick) {
                s.currentVideoClick->url = VastAttributes::address(text);
                appendAndClose(s.currentVideoClick, s.currentLinearCreative, &VastLinearCreative::videoClicks);
            }
            break;
        case Element::tracking:
        case Element::trackingEvents:
            if (s.currentTrackingEvent) {
                s.currentTrackingEvent->url = VastAttributes::address(text);
                attachTrackingEvent();
            }
            break;
        case Element::icon:
            if (s.currentIcon) {
                appendAndClose(s.currentIcon, s.currentLinearCreative, &VastLinearCreative::icons);
            }
            break;
        case Element::iconClickThrough:
            if (s.currentIcon && s.currentIcon->iconClicks) {
                s.currentIcon->iconClicks->iconClickThrough = VastAttributes::address(text);
            }
            break;
        case Element::iconClickTracking:
            if (s.currentIconClickTracking) {
                s.currentIconClickTracking->url = VastAttributes::address(text);
                if (s.currentIcon && s.currentIcon->iconClicks) {
                    s.currentIcon->iconClicks->iconClickTracking.push_back(std::move(*s.currentIconClickTracking));
                }
                s.currentIconClickTracking.reset();
            }
            break;
        case Element::iconViewTracking:
            if (s.currentIcon) {
                if (auto url = VastAttributes::address(text)) {
                    s.currentIcon->iconViewTracking.push_back(std::move(*url));
                }
            }
            break;
        case Element::nonLinearAds:
            if (s.currentNonLinearAdsCreative) {
                assignAndClose(s.currentNonLinearAdsCreative, s.currentCreative, &VastCreative::nonLinearAds);
            }
            break;
        case Element::nonLinear:
            if (s.currentNonLinear) {
                appendAndClose(s.currentNonLinear, s.currentNonLinearAdsCreative, &VastNonLinearAdsCreative::nonLinear);
            }
            break;
        case Element::nonLinearClickTracking:
            if (s.currentNonLinear) {
                if (auto url = VastAttributes::address(text)) {
                    s.currentNonLinear->nonLinearClickTracking = std::move(url);
                }
            }
            break;
        case Element::staticResource:
            if (s.currentStaticResource) {
                s.currentStaticResource->url = VastAttributes::address(text);
                attachStaticResource();
            }
            break;
        case Element::iFrameResource:
        case Element::htmlResource:
            if (s.currentCompanionCreative) {
                if (auto url = VastAttributes::address(text)) {
                    (element == Element::iFrameResource ? s.currentCompanionCreative->iFrameResource
                                                        : s.currentCompanionCreative->htmlResource)
                        .push_back(std::move(*url));
                }
            }
            break;
        case Element::companion:
            if (s.currentCompanionCreative) {
                if (s.currentCreative && s.currentCreative->companionAds) {
                    s.currentCreative->companionAds->companions.push_back(std::move(*s.currentCompanionCreative));
                }
                s.currentCompanionCreative.reset();
            }
            break;
        case Element::altText:
            if (s.currentCompanionCreative) {
                s.currentCompanionCreative->altText = std::string(text);
            }
            break;
        case Element::companionClickThrough:
            if (s.currentCompanionCreative) {
                s.currentCompanionCreative->companionClickThrough = VastAttributes::address(text);
            }
            break;
        case Element::companionClickTracking:
            if (s.currentCompanionCreative) {
                if (auto url = VastAttributes::address(text)) {
                    s.currentCompanionCreative->companionClickTracking.push_back(std::move(*url));
                }
            }
            break;
        case Element::iconClicks:
        case Element::companionAds:
            break;
    }
}

// A finished tracking event belongs to the innermost open companion, non-linear-ads record or
// linear creative; outside all three it is dropped.
void VastXMLParser::attachTrackingEvent() {
    Slots& s = *slots_;
    if (s.currentCompanionCreative) {
        appendAndClose(s.currentTrackingEvent, s.currentCompanionCreative, &VastCompanionCreative::trackingEvents);
    } else if (s.currentNonLinearAdsCreative) {
        appendAndClose(s.currentTrackingEvent, s.currentNonLinearAdsCreative, &VastNonLinearAdsCreative::trackingEvents);
    } else {
        appendAndClose(s.currentTrackingEvent, s.currentLinearCreative, &VastLinearCreative::trackingEvents);
    }
}

// A finished static resource belongs to the open companion (a list), non-linear (one resource,
// the last one wins) or icon (a list); otherwise it is dropped.
void VastXMLParser::attachStaticResource() {
    Slots& s = *slots_;
    if (s.currentCompanionCreative) {
        appendAndClose(s.currentStaticResource, s.currentCompanionCreative, &VastCompanionCreative::staticResource);
    } else if (s.currentNonLinear) {
        assignAndClose(s.currentStaticResource, s.currentNonLinear, &VastNonLinear::staticResource);
    } else {
        appendAndClose(s.currentStaticResource, s.currentIcon, &VastIcon::staticResource);
    }
}

}  // namespace solen
