#pragma once

#include "Ad/RenderEngine/Bridge/Scriptable.h"
#include <solen/ui/Rect.h>
#include <solen/ui/Size.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace solen {

// The statements the native side sends to the bridge script in a page. Each renders one
// statement; every text in it is a single-quoted literal (see JavaScriptText), so no value can
// break out of its statement.
namespace MRAIDJS {

// A bridge object in the page, and the URL scheme the page's calls through it use.
enum class Scheme { mraidView, qoraidView, qoaView, mraid };

// "mraidview", "qoraidview", "qoaiview", "mraid".
std::string_view rawValue(Scheme scheme);
// The scheme with exactly this raw value (letter case included).
std::optional<Scheme> schemeNamed(std::string_view rawValue);
// "mraidView", "qoraidView", "qoaView", "mraid".
std::string_view caseName(Scheme scheme);
// The page object that state, size and position events go to.
inline constexpr Scheme defaultScheme = Scheme::mraid;

// Events broadcast to, or stored in, a bridge object.
class Events final : public Scriptable {
public:
    static Events broadCastReadyState(Scheme scheme);
    static Events broadCastError(Scheme scheme, std::string cmd, std::string error);
    static Events broadCastSize(Scheme scheme, platform::Size size);
    static Events broadCastDefaultPositionChanged(Scheme scheme, platform::Rect position);
    static Events broadCastCurrentPositionChanged(Scheme scheme, platform::Rect position);
    static Events braodCastStateChanged(Scheme scheme, std::string state);

    std::string javaScript() const override;

private:
    struct ReadyState {};
    struct Error {
        std::string cmd;
        std::string error;
    };
    struct SizeChange {
        platform::Size size;
    };
    struct PositionChange {
        const char* key;
        platform::Rect position;
    };
    struct StateChange {
        std::string state;
    };
    using Payload = std::variant<ReadyState, Error, SizeChange, PositionChange, StateChange>;
    Events(Scheme scheme, Payload payload) : scheme_(scheme), payload_(std::move(payload)) {}

    Scheme scheme_;
    Payload payload_;
};

// Calls on the bridge's native-call objects.
class Methods final : public Scriptable {
public:
    // Releases the page's call queue after a native call through `scheme` succeeded.
    static Methods callComplete(Scheme scheme, std::string cmd);
    static Methods updateAdState(std::string status);
    static Methods updateViewable(bool status);

    std::string javaScript() const override;

private:
    struct CallComplete {
        Scheme scheme;
        std::string cmd;
    };
    struct AdState {
        std::string status;
    };
    struct Viewable {
        bool status;
    };
    using Payload = std::variant<CallComplete, AdState, Viewable>;
    explicit Methods(Payload payload) : payload_(std::move(payload)) {}

    Payload payload_;
};

// Assignments of the bridge's stored properties (the initial property push).
class Properties final : public Scriptable {
public:
    static Properties setStatus(std::string status);
    static Properties setPlacement(std::string placement);
    static Properties setDefaultPosition(platform::Rect position);
    static Properties setCurrentPosition(platform::Rect position);
    static Properties setScreenSize(platform::Size size);
    static Properties setMaxSize(platform::Size size);
    static Properties setViewabale(bool status);
    static Properties setOrientation(int angle);

    std::string javaScript() const override;

private:
    struct Text {
        const char* target;
        std::string value;
    };
    struct Position {
        const char* target;
        platform::Rect position;
    };
    struct Dimensions {
        const char* target;
        platform::Size size;
    };
    struct Flag {
        bool status;
    };
    struct Angle {
        int angle;
    };
    using Payload = std::variant<Text, Position, Dimensions, Flag, Angle>;
    explicit Properties(Payload payload) : payload_(std::move(payload)) {}

    Payload payload_;
};

}  // namespace MRAIDJS

}  // namespace solen
