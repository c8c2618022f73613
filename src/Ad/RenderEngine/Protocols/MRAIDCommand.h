#pragma once

#include "Ad/RenderEngine/MRAID/MRAIDProperties.h"
#include "Commons/Utilities/AnyDictionary.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace solen {

// The commands the native side carries out, in their fixed order.
enum class MRAIDCommandType {
    open, openExternal, close, expand, resize, expandprops, resizeprops, orientprops, log, fireAdReady, fireAdFailed,
    playVideo, useCustomClose
};

namespace MRAIDCommandTypes {
inline constexpr std::array<std::string_view, 13> rawValues{
    "open",        "openExternal", "close", "expand",      "resize",       "expandprops",   "resizeprops",
    "orientprops", "log",          "fireAdReady", "fireAdFailed", "playVideo", "useCustomClose"};
inline std::string_view rawValue(MRAIDCommandType type) { return rawValues[static_cast<std::size_t>(type)]; }
// The command with exactly this text (letter case included).
std::optional<MRAIDCommandType> named(std::string_view text);
// The command whose text equals `text` ignoring letter case (URL-form calls, whose host is lower-cased).
std::optional<MRAIDCommandType> namedIgnoringCase(std::string_view text);
}  // namespace MRAIDCommandTypes

// One call from the page.
struct MRAIDNativeEvent {
    std::string scheme;
    std::optional<std::string> command;
    std::optional<AnyDictionary> params;
};

// What a call comes to: a failure with its message, or one action to perform.
struct MRAIDCommandOutcome {
    struct Failure {
        std::string message;
    };
    struct NoAction {};
    struct Command {  // open, openExternal, expand, resize
        MRAIDNativeEvent event;
        MRAIDCommandType type;
    };
    struct CustomClose {
        bool value;
    };
    struct PlayVideo {
        std::optional<AnyDictionary> params;
    };
    enum class Lifecycle { fireAdReady = 0, fireAdFailed = 1, close = 2 };
    // Kept apart in the variant: `open` and `layout` carry the same payload.
    struct Open : Command {};
    struct Layout : Command {};

    std::variant<Failure, NoAction, MRAIDExpandProperties, MRAIDResizeProperties, MRAIDOrientationPropertites, Open, Layout,
                 CustomClose, PlayVideo, Lifecycle>
        value;

    static MRAIDCommandOutcome failure(std::string message) { return {Failure{std::move(message)}}; }
    bool isSuccess() const { return !std::holds_alternative<Failure>(value); }
    // The failure's message; empty on success.
    std::string message() const { return isSuccess() ? std::string() : std::get<Failure>(value).message; }
};

// Turns one call into its outcome without changing any state.
class MRAIDCommand {
public:
    virtual ~MRAIDCommand() = default;
    virtual MRAIDCommandOutcome process(const MRAIDNativeEvent& event) = 0;
};

}  // namespace solen
