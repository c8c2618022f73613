#pragma once

#include "Ad/RenderEngine/Vast/Model/VMAPAdBreak.h"
#include "Ad/RenderEngine/Vast/Model/VMAPAdSource.h"
#include "Ad/RenderEngine/Vast/Model/VMAPModel.h"
#include "Ad/RenderEngine/Vast/Model/VMAPTrackingEvent.h"
#include "Ad/RenderEngine/Vast/Model/VastError.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"
#include "Ad/RenderEngine/Vast/Parser/VastClientOptions.h"
#include "Ad/RenderEngine/Vast/Parser/VastParser.h"
#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"
#include "Platform/Foundation/XmlEventReader.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace solen {

// What stopped a VMAP parse: the XML reader's error or the error of an embedded VAST document.
using VMAPParseError = std::variant<platform::XmlParseError, VastError>;

// Reads a VMAP document into a `VMAPModel`, event by event: its ad breaks, each with its ad
// source (whose inline VAST document is read by a VAST XML parser) and its break-level tracking
// addresses. Element names are compared exactly, prefix included ("vmap:AdBreak").
//
// A document whose first element is not vmap:VMAP yields no model. One parser reads one document
// on one thread.
class VMAPParser : public platform::XmlEventReaderDelegate, public std::enable_shared_from_this<VMAPParser> {
public:
    static std::shared_ptr<VMAPParser> create(VastClientOptions options = {},
                                              std::shared_ptr<VastParser> vastParser = nullptr);
    VMAPParser(const VMAPParser&) = delete;
    VMAPParser& operator=(const VMAPParser&) = delete;

    // Reads the whole document given as UTF-8 text. True when it produced a model and no error
    // stopped it; `vmapModel()` and `fatalError()` then tell the outcome. A second call returns false.
    bool parse(std::string_view xml);

    void handleStartElement(const std::string& name, const platform::XmlAttributes& attributes);
    void handleEndElement(const std::string& name);
    // Called by the VAST XML parser of an embedded document when its VAST element ends.
    void embeddedVastParsed(std::optional<VastError> error, const VastModel& model);

    void didStartElement(platform::XmlEventReader& reader, const std::string& name,
                         const platform::XmlAttributes& attributes) override;
    void didEndElement(platform::XmlEventReader& reader, const std::string& name) override;
    void foundCharacters(platform::XmlEventReader& reader, std::string_view characters) override;
    void foundCDATA(platform::XmlEventReader& reader, std::string_view block) override;
    void parseErrorOccurred(platform::XmlEventReader& reader, const platform::XmlParseError& error) override;

    const VastClientOptions& options() const { return options_; }
    const std::shared_ptr<VastParser>& vastParser() const { return vastParser_; }
    const std::shared_ptr<platform::XmlEventReader>& xmlParser() const { return xmlParser_; }
    bool validVMAPDocument() const { return validVMAPDocument_; }
    bool parsedFirstElement() const { return parsedFirstElement_; }
    const std::optional<VMAPParseError>& fatalError() const { return fatalError_; }
    const std::optional<VMAPModel>& vmapModel() const { return vmapModel_; }

private:
    VMAPParser(VastClientOptions options, std::shared_ptr<VastParser> vastParser);

    void beginEmbeddedVast();

    const VastClientOptions options_;
    const std::shared_ptr<VastParser> vastParser_;
    std::shared_ptr<platform::XmlEventReader> xmlParser_;
    // The VAST XML parser of the embedded document being read, and whether it still receives the
    // events; `embeddedDepth_` counts the elements open inside vmap:VASTAdData.
    std::shared_ptr<VastXMLParser> vastXMLParser_;
    bool forwarding_ = false;
    std::size_t embeddedDepth_ = 0;

    bool validVMAPDocument_ = false;
    bool parsedFirstElement_ = false;
    std::optional<VMAPParseError> fatalError_;
    std::optional<VMAPModel> vmapModel_;
    std::vector<VMAPAdBreak> adBreaks_;
    std::optional<VMAPAdBreak> currentAdBreak_;
    std::vector<VMAPTrackingEvent> trackingEvents_;
    std::optional<VMAPTrackingEvent> currentTrackingEvent_;
    std::optional<VMAPAdSource> currentVMAPAdSource_;
    std::optional<VastModel> currentVastModel_;
    std::string currentContent_;
};

}  // namespace solen
