#include "Ad/RenderEngine/Vast/Parser/VMAPParser.h"

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <utility>

namespace solen {

using platform::XmlAttributes;
using platform::XmlEventReader;

std::shared_ptr<VMAPParser> VMAPParser::create(VastClientOptions options, std::shared_ptr<VastParser> vastParser) {
    return std::shared_ptr<VMAPParser>(new VMAPParser(std::move(options), std::move(vastParser)));
}

VMAPParser::VMAPParser(VastClientOptions options, std::shared_ptr<VastParser> vastParser)
    : options_(std::move(options)), vastParser_(std::move(vastParser)) {}

bool VMAPParser::parse(std::string_view xml) {
    if (xmlParser_) {
        return false;
    }
    xmlParser_ = std::make_shared<XmlEventReader>(std::string(xml), std::string("UTF-8"));
    xmlParser_->setDelegate(weak_from_this());
    if (!xmlParser_->parse() && !fatalError_ && xmlParser_->parserError()) {
        fatalError_ = *xmlParser_->parserError();
    }
    return vmapModel_.has_value() && !fatalError_;
}

// While an embedded VAST document is read, its events go to the VAST XML parser. The hand-over
// ends when that document's VAST element ends, or at the latest when vmap:VASTAdData ends, so
// an embedded document that never completes (not VAST at all) cannot swallow the rest of the
// VMAP document.
void VMAPParser::didStartElement(XmlEventReader& reader, const std::string& name, const XmlAttributes& attributes) {
    if (forwarding_) {
        ++embeddedDepth_;
        vastXMLParser_->didStartElement(reader, name, attributes);
        return;
    }
    handleStartElement(name, attributes);
}

void VMAPParser::didEndElement(XmlEventReader& reader, const std::string& name) {
    if (forwarding_) {
        if (embeddedDepth_ > 0) {
            --embeddedDepth_;
            vastXMLParser_->didEndElement(reader, name);
            return;
        }
        // vmap:VASTAdData ends while its document is unfinished: that document is dropped.
        forwarding_ = false;
    }
    handleEndElement(name);
}

void VMAPParser::foundCharacters(XmlEventReader& reader, std::string_view characters) {
    if (forwarding_) {
        vastXMLParser_->foundCharacters(reader, characters);
        return;
    }
    currentContent_.append(characters);
}

void VMAPParser::foundCDATA(XmlEventReader& reader, std::string_view block) {
    // Only an embedded VAST document reads CDATA blocks.
    if (forwarding_) {
        vastXMLParser_->foundCDATA(reader, block);
    }
}

void VMAPParser::parseErrorOccurred(XmlEventReader&, const platform::XmlParseError& error) { fatalError_ = error; }

void VMAPParser::handleStartElement(const std::string& name, const XmlAttributes& attributes) {
    if (!validVMAPDocument_) {
        if (!parsedFirstElement_) {
            parsedFirstElement_ = true;
            if (name == "vmap:VMAP") {
                validVMAPDocument_ = true;
                vmapModel_ = VMAPModel::fromAttributes(attributes);
            }
        }
        if (!validVMAPDocument_) {
            return;
        }
    }
    if (fatalError_) {
        return;
    }
    if (name == "vmap:AdBreak") {
        currentAdBreak_ = VMAPAdBreak::fromAttributes(attributes);
    } else if (name == "vmap:Tracking") {
        currentTrackingEvent_ = VMAPTrackingEvent::fromAttributes(attributes);
    } else if (name == "vmap:AdSource") {
        currentVMAPAdSource_ = VMAPAdSource::fromAttributes(attributes);
    } else if (name == "vmap:VASTAdData") {
        beginEmbeddedVast();
    }
}

void VMAPParser::beginEmbeddedVast() {
    vastXMLParser_ = VastXMLParser::create();
    const std::weak_ptr<VMAPParser> weak = weak_from_this();
    vastXMLParser_->completeClosure = [weak](std::optional<VastError> error, const VastModel& model) {
        if (const auto self = weak.lock()) {
            self->embeddedVastParsed(error, model);
        }
    };
    forwarding_ = true;
    embeddedDepth_ = 0;
}

void VMAPParser::embeddedVastParsed(std::optional<VastError> error, const VastModel& model) {
    if (error) {
        fatalError_ = *error;
    }
    currentVastModel_ = model;
    forwarding_ = false;
}

void VMAPParser::handleEndElement(const std::string& name) {
    currentContent_ = std::string(VastAttributes::trimmed(currentContent_));
    if (validVMAPDocument_ && !fatalError_) {
        if (name == "vmap:VMAP") {
            if (vmapModel_) {
                vmapModel_->adBreaks = adBreaks_;
            }
        } else if (name == "vmap:AdBreak") {
            if (currentAdBreak_) {
                adBreaks_.push_back(std::move(*currentAdBreak_));
                currentAdBreak_.reset();
            }
        } else if (name == "vmap:Tracking") {
            if (currentTrackingEvent_) {
                currentTrackingEvent_->url = VastAttributes::address(currentContent_);
                trackingEvents_.push_back(std::move(*currentTrackingEvent_));
                currentTrackingEvent_.reset();
            }
        } else if (name == "vmap:TrackingEvents") {
            if (currentAdBreak_) {
                currentAdBreak_->trackingEvents = trackingEvents_;
            }
            trackingEvents_.clear();
        } else if (name == "vmap:AdSource") {
            if (currentVMAPAdSource_) {
                if (currentAdBreak_) {
                    currentAdBreak_->adSource = std::move(*currentVMAPAdSource_);
                }
                currentVMAPAdSource_.reset();
            }
        } else if (name == "vmap:VASTAdData") {
            if (currentVastModel_) {
                if (currentVMAPAdSource_) {
                    currentVMAPAdSource_->vastAdData = std::move(*currentVastModel_);
                }
                currentVastModel_.reset();
            }
        }
    }
    currentContent_.clear();
}

}  // namespace solen
