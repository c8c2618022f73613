#include "Ad/RenderEngine/Bridge/MRAIDJS.h"

#include "Ad/RenderEngine/Bridge/JavaScriptText.h"

#include <array>
#include <utility>

namespace solen::MRAIDJS {

namespace {

struct SchemeNames {
    Scheme scheme;
    std::string_view raw;
    std::string_view caseName;
};

constexpr std::array<SchemeNames, 4> schemes{{
    {Scheme::mraidView, "mraidview", "mraidView"},
    {Scheme::qoraidView, "qoraidview", "qoraidView"},
    {Scheme::qoaView, "qoaiview", "qoaView"},
    {Scheme::mraid, "mraid", "mraid"},
}};

template <class... Cases>
struct Overloaded : Cases... {
    using Cases::operator()...;
};

// Room for a statement's fixed text and numbers, plus its inserted texts.
constexpr std::size_t statementReserve = 96;

// "window." + scheme + "." — the start of every statement addressed to a bridge object.
std::string objectPrefix(Scheme scheme, std::size_t insertedBytes) {
    std::string out;
    out.reserve(statementReserve + insertedBytes);
    out += "window.";
    out += rawValue(scheme);
    out += '.';
    return out;
}

// {'x':1.0,'y':2.0,'width':3.0,'height':4.0}
void appendRect(std::string& out, const platform::Rect& rect) {
    out += "{'x':";
    JavaScriptText::appendNumber(out, rect.origin.x);
    out += ",'y':";
    JavaScriptText::appendNumber(out, rect.origin.y);
    out += ",'width':";
    JavaScriptText::appendNumber(out, rect.size.width);
    out += ",'height':";
    JavaScriptText::appendNumber(out, rect.size.height);
    out += '}';
}

// {'width':3.0,'height':4.0}
void appendSize(std::string& out, const platform::Size& size) {
    out += "{'width':";
    JavaScriptText::appendNumber(out, size.width);
    out += ",'height':";
    JavaScriptText::appendNumber(out, size.height);
    out += '}';
}

}  // namespace

std::string_view rawValue(Scheme scheme) { return schemes[static_cast<std::size_t>(scheme)].raw; }

std::string_view caseName(Scheme scheme) { return schemes[static_cast<std::size_t>(scheme)].caseName; }

std::optional<Scheme> schemeNamed(std::string_view raw) {
    for (const SchemeNames& names : schemes) {
        if (names.raw == raw) {
            return names.scheme;
        }
    }
    return std::nullopt;
}

// Events

Events Events::broadCastReadyState(Scheme scheme) { return Events(scheme, ReadyState{}); }
Events Events::broadCastError(Scheme scheme, std::string cmd, std::string error) {
    return Events(scheme, Error{std::move(cmd), std::move(error)});
}
Events Events::broadCastSize(Scheme scheme, platform::Size size) { return Events(scheme, SizeChange{size}); }
Events Events::broadCastDefaultPositionChanged(Scheme scheme, platform::Rect position) {
    return Events(scheme, PositionChange{"defaultPosition", position});
}
Events Events::broadCastCurrentPositionChanged(Scheme scheme, platform::Rect position) {
    return Events(scheme, PositionChange{"currentPosition", position});
}
Events Events::braodCastStateChanged(Scheme scheme, std::string state) { return Events(scheme, StateChange{std::move(state)}); }

std::string Events::javaScript() const {
    std::size_t inserted = 0;
    if (const auto* error = std::get_if<Error>(&payload_)) {
        inserted = error->cmd.size() + error->error.size();
    } else if (const auto* change = std::get_if<StateChange>(&payload_)) {
        inserted = change->state.size();
    }
    std::string out = objectPrefix(scheme_, inserted);
    std::visit(Overloaded{
                   [&](const ReadyState&) { out += "broadcastEvent('ready');"; },
                   [&](const Error& error) {
                       out += "broadcastEvent('error',";
                       JavaScriptText::appendSingleQuoted(out, error.error);
                       out += ',';
                       JavaScriptText::appendSingleQuoted(out, error.cmd);
                       out += ");";
                   },
                   [&](const SizeChange& change) {
                       out += "broadcastEvent('sizeChange',";
                       JavaScriptText::appendNumber(out, change.size.width);
                       out += ',';
                       JavaScriptText::appendNumber(out, change.size.height);
                       out += ");";
                   },
                   [&](const PositionChange& change) {
                       out += "updateKV('";
                       out += change.key;
                       out += "',";
                       appendRect(out, change.position);
                       out += ");";
                   },
                   [&](const StateChange& change) {
                       out += "updateKV('state',";
                       JavaScriptText::appendSingleQuoted(out, change.state);
                       out += ");";
                   },
               },
               payload_);
    return out;
}

// Methods

Methods Methods::callComplete(Scheme scheme, std::string cmd) { return Methods(CallComplete{scheme, std::move(cmd)}); }
Methods Methods::updateAdState(std::string status) { return Methods(AdState{std::move(status)}); }
Methods Methods::updateViewable(bool status) { return Methods(Viewable{status}); }

std::string Methods::javaScript() const {
    std::string out;
    std::visit(Overloaded{
                   [&](const CallComplete& call) {
                       out = objectPrefix(call.scheme, call.cmd.size());
                       out += "nativeCallComplete(";
                       JavaScriptText::appendSingleQuoted(out, call.cmd);
                       out += ");";
                   },
                   [&](const AdState& state) {
                       out = "window.mraidview.updateKV('state',";
                       JavaScriptText::appendSingleQuoted(out, state.status);
                       out += ");";
                   },
                   [&](const Viewable& viewable) {
                       out = "window.mraidview.updateKV('viewable',";
                       out += viewable.status ? "true" : "false";
                       out += ");";
                   },
               },
               payload_);
    return out;
}

// Properties

Properties Properties::setStatus(std::string status) { return Properties(Text{"window.qoraidview.status=", std::move(status)}); }
Properties Properties::setPlacement(std::string placement) {
    return Properties(Text{"window.mraidview.placement=", std::move(placement)});
}
Properties Properties::setDefaultPosition(platform::Rect position) {
    return Properties(Position{"window.mraidview.defaultPosition=", position});
}
Properties Properties::setCurrentPosition(platform::Rect position) {
    return Properties(Position{"window.mraidview.currentPosition=", position});
}
Properties Properties::setScreenSize(platform::Size size) { return Properties(Dimensions{"window.mraidview.screenSize=", size}); }
Properties Properties::setMaxSize(platform::Size size) { return Properties(Dimensions{"window.mraidview.maxSize=", size}); }
Properties Properties::setViewabale(bool status) { return Properties(Flag{status}); }
Properties Properties::setOrientation(int angle) { return Properties(Angle{angle}); }

std::string Properties::javaScript() const {
    std::string out;
    std::visit(Overloaded{
                   [&](const Text& text) {
                       out = text.target;
                       JavaScriptText::appendSingleQuoted(out, text.value);
                   },
                   [&](const Position& position) {
                       out = position.target;
                       appendRect(out, position.position);
                   },
                   [&](const Dimensions& dimensions) {
                       out = dimensions.target;
                       appendSize(out, dimensions.size);
                   },
                   [&](const Flag& flag) { out = flag.status ? "window.mraidview.viewable=true" : "window.mraidview.viewable=false"; },
                   [&](const Angle& angle) { out = "window.qoraidview.orientation=" + std::to_string(angle.angle); },
               },
               payload_);
    out += ';';
    return out;
}

}  // namespace solen::MRAIDJS
