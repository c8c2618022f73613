#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastError.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"
#include "Ad/RenderEngine/Vast/Parser/VastParseResult.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/XmlEventReader.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen {

// The elements the VAST parser reads (defined with the parser).
enum class VastElement : int;

// Reads one VAST document into a `VastModel`, event by event. It keeps one open-record slot per
// record type: a record is built from its element's attributes when the element starts, gets the
// element's text when it ends, and a copy of it is attached to the open parent record.
//
// One parser serves exactly one document and is used on one thread. Create it with `create()`:
// it hands itself to the XML reader as a weakly held receiver.
class VastXMLParser : public platform::XmlEventReaderDelegate, public std::enable_shared_from_this<VastXMLParser> {
public:
    // Fires a list of addresses with an event label, without waiting (the SDK's tracker sender).
    using TrackingUrlSender = std::function<void(const std::vector<platform::URL>& urls, const std::optional<std::string>& event)>;
    // Called when the VAST element ends, for a receiver that feeds the events itself.
    using CompleteClosure = std::function<void(std::optional<VastError> error, const VastModel& model)>;

    // `sender` fires the Error addresses of a document without ads; by default the SDK's tracker
    // manager does.
    static std::shared_ptr<VastXMLParser> create(TrackingUrlSender sender = {});
    ~VastXMLParser() override;
    VastXMLParser(const VastXMLParser&) = delete;
    VastXMLParser& operator=(const VastXMLParser&) = delete;

    // Reads a whole document given as UTF-8 text.
    VastParseResult parse(std::string_view xml);
    // Reads the document of the reader already stored in `xmlParser`.
    VastParseResult parseDocument();

    // The element handlers, called for every element start and end of the document.
    void handleStartElement(std::string_view name, const platform::XmlAttributeList& attributes);
    void handleEndElement(std::string_view name);

    // Receiver callbacks.
    void didStartElement(platform::XmlEventReader& reader, const std::string& name,
                         const platform::XmlAttributes& attributes) override;
    void didEndElement(platform::XmlEventReader& reader, const std::string& name) override;
    void didStartTag(platform::XmlEventReader& reader, std::string_view name,
                     const platform::XmlAttributeList& attributes) override;
    void didEndTag(platform::XmlEventReader& reader, std::string_view name) override;
    void foundCharacters(platform::XmlEventReader& reader, std::string_view characters) override;
    void foundCDATA(platform::XmlEventReader& reader, std::string_view block) override;
    void parseErrorOccurred(platform::XmlEventReader& reader, const platform::XmlParseError& error) override;

    CompleteClosure completeClosure;
    std::shared_ptr<platform::XmlEventReader> xmlParser;

    bool validVastDocument() const { return validVastDocument_; }
    bool parsedFirstElement() const { return parsedFirstElement_; }
    const std::optional<platform::XmlParseError>& fatalError() const { return fatalError_; }
    const std::optional<VastModel>& vastModel() const { return vastModel_; }
    const std::string& currentContent() const { return currentContent_; }

    // The label under which the Error addresses of a document without ads are fired.
    static constexpr std::string_view noAdsEvent = "ERROR NO ADS";

private:
    explicit VastXMLParser(TrackingUrlSender sender);

    struct Slots;

    void start(VastElement element, const platform::XmlAttributeList& attributes);
    void end(VastElement element, std::string_view text);
    void attachTrackingEvent();
    void attachStaticResource();
    void fireNoAdsErrors() const;

    TrackingUrlSender sender_;
    bool validVastDocument_ = false;
    bool parsedFirstElement_ = false;
    std::optional<platform::XmlParseError> fatalError_;
    std::optional<VastModel> vastModel_;
    std::unique_ptr<Slots> slots_;
    std::string currentContent_;
};

}  // namespace solen
