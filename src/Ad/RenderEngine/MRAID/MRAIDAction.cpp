#include "Ad/RenderEngine/MRAID/MRAIDAction.h"

#include "Ad/RenderEngine/OpenModes/ExternalURLOpener.h"
#include "Ad/RenderEngine/OpenModes/QOSafariVC.h"
#include "Commons/Json/JsonWriter.h"
#include "Commons/Utilities/AsciiCase.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Screen.h"
#include <solen/ui/Window.h>

#include <algorithm>

namespace solen {

namespace {

template <class... Cases>
struct Overloaded : Cases... {
    using Cases::operator()...;
};

// The text value of `key`, when the parameters are there, not empty and hold a text under it.
std::optional<std::string> textParameter(const std::optional<AnyDictionary>& params, const char* key) {
    if (!params || !params->is_object() || params->empty()) {
        return std::nullopt;
    }
    const auto found = params->find(key);
    if (found == params->end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

// Runs `block` on the main thread and waits for it (inline when already there).
void onMainThread(const std::function<void()>& block) {
    platform::MainLoop& loop = platform::MainLoop::shared();
    if (loop.isMainThread()) {
        block();
    } else {
        loop.sync(block);
    }
}

}  // namespace

namespace MRAIDCommandTypes {

std::optional<MRAIDCommandType> named(std::string_view text) {
    const auto found = std::find(rawValues.begin(), rawValues.end(), text);
    return found == rawValues.end() ? std::nullopt : std::optional(static_cast<MRAIDCommandType>(found - rawValues.begin()));
}

std::optional<MRAIDCommandType> namedIgnoringCase(std::string_view text) {
    const auto found =
        std::find_if(rawValues.begin(), rawValues.end(), [text](std::string_view raw) { return equalsIgnoringCase(raw, text); });
    return found == rawValues.end() ? std::nullopt : std::optional(static_cast<MRAIDCommandType>(found - rawValues.begin()));
}

}  // namespace MRAIDCommandTypes

template <class Record>
std::optional<Record> MRAIDAction::decodeProperties(const std::optional<AnyDictionary>& params) {
    if (!params) {
        return std::nullopt;
    }
    try {
        // Through the free-form encoder first: a value without a JSON form fails as it would
        // when the dictionary is sent anywhere.
        return Record::decode(encodeAnyDictionary(*params));
    } catch (const std::exception& error) {
        Logger::log(std::string("Unable to create a model from params: ") + error.what(), 1);
        return std::nullopt;
    }
}

template std::optional<MRAIDExpandProperties> MRAIDAction::decodeProperties(const std::optional<AnyDictionary>&);
template std::optional<MRAIDResizeProperties> MRAIDAction::decodeProperties(const std::optional<AnyDictionary>&);
template std::optional<MRAIDOrientationPropertites> MRAIDAction::decodeProperties(const std::optional<AnyDictionary>&);

MRAIDCommandOutcome MRAIDAction::process(const MRAIDNativeEvent& event) {
    using Outcome = MRAIDCommandOutcome;
    if (!event.command) {
        return Outcome::failure("command can not be nil");
    }
    const std::optional<MRAIDCommandType> type = MRAIDCommandTypes::named(*event.command);
    if (!type) {
        Logger::log("[Native][Command] Not supported: " + *event.command, 1);
        return Outcome::failure("not supported");
    }
    switch (*type) {
        case MRAIDCommandType::open:
        case MRAIDCommandType::openExternal:
            return {Outcome::Open{{event, *type}}};
        case MRAIDCommandType::expand:
        case MRAIDCommandType::resize:
            return {Outcome::Layout{{event, *type}}};
        case MRAIDCommandType::close:
            return {Outcome::Lifecycle::close};
        case MRAIDCommandType::fireAdReady:
            return {Outcome::Lifecycle::fireAdReady};
        case MRAIDCommandType::fireAdFailed:
            return {Outcome::Lifecycle::fireAdFailed};
        case MRAIDCommandType::expandprops:
            if (auto record = decodeProperties<MRAIDExpandProperties>(event.params)) return {*record};
            return {Outcome::NoAction{}};
        case MRAIDCommandType::resizeprops:
            if (auto record = decodeProperties<MRAIDResizeProperties>(event.params)) return {*record};
            return {Outcome::NoAction{}};
        case MRAIDCommandType::orientprops:
            if (auto record = decodeProperties<MRAIDOrientationPropertites>(event.params)) return {*record};
            return {Outcome::NoAction{}};
        case MRAIDCommandType::log:
            Logger::format("[MRAID] [Log] " + (event.params ? event.params->dump() : std::string("NA")), "MRAIDCommand",
                           "process()", __LINE__, 5);
            return {Outcome::NoAction{}};
        case MRAIDCommandType::playVideo:
            return {Outcome::PlayVideo{event.params}};
        case MRAIDCommandType::useCustomClose:
            return {Outcome::CustomClose{textParameter(event.params, "close") == "true"}};
    }
    return Outcome::failure("not supported");
}

MRAIDCommandOutcome MRAIDAction::handle(const std::optional<std::string>& scheme, const std::optional<std::string>& command,
                                        const std::optional<AnyDictionary>& params) {
    using Outcome = MRAIDCommandOutcome;
    if (!scheme || !MRAIDJS::schemeNamed(*scheme)) {
        return Outcome::failure("not supported scheme");
    }
    Outcome outcome = process(MRAIDNativeEvent{*scheme, command, params});
    const auto renderView = renderView_.lock();
    std::visit(Overloaded{
                   [](const Outcome::Failure&) {},
                   [](const Outcome::NoAction&) {},
                   [&](const MRAIDExpandProperties& record) {
                       adExpandProperties_ = record;
                       useCustomClose_ = record.useCustomClose.value_or(false);
                   },
                   [&](const MRAIDResizeProperties& record) { adResizeProperties_ = record; },
                   [&](const MRAIDOrientationPropertites& record) { adOrientationProperties_ = record; },
                   [&](const Outcome::Open& open) {
                       const bool opened = open.type == MRAIDCommandType::open ? openInApp(open.event.params)
                                                                               : openExternal(open.event.params);
                       if (!opened) {
                           outcome = Outcome::failure("can not open url");
                       }
                   },
                   [&](const Outcome::Layout& layout) { performLayout(layout.event.params, layout.type); },
                   [&](const Outcome::CustomClose& customClose) {
                       if (!adExpandProperties_) {
                           adExpandProperties_ = MRAIDExpandProperties{0.0, 0.0, false, false};
                       }
                       adExpandProperties_->useCustomClose = customClose.value;
                       useCustomClose_ = customClose.value;
                       if (renderView) renderView->updateCloseButton();
                   },
                   [&](const Outcome::PlayVideo& video) {
                       if (renderView) renderView->playVideo(video.params.value_or(AnyDictionary()));
                   },
                   [&](Outcome::Lifecycle lifecycle) {
                       if (!renderView) return;
                       switch (lifecycle) {
                           case Outcome::Lifecycle::fireAdReady: renderView->fireAdReady(); break;
                           case Outcome::Lifecycle::fireAdFailed: renderView->fireAdFailed(); break;
                           case Outcome::Lifecycle::close: renderView->close(); break;
                       }
                   },
               },
               outcome.value);
    return outcome;
}

void MRAIDAction::performLayout(const std::optional<AnyDictionary>& params, MRAIDCommandType command) {
    const auto renderView = renderView_.lock();
    if (!renderView) {
        return;
    }
    if (command == MRAIDCommandType::resize) {
        renderView->resize(adResizeProperties_.value_or(MRAIDResizeProperties{}));
    } else if (command == MRAIDCommandType::expand) {
        MRAIDExpandProperties record = adExpandProperties_.value_or(MRAIDExpandProperties{});
        if (!adExpandProperties_) {
            const platform::Rect screen = platform::Screen::main().bounds();
            record = {screen.size.width, screen.size.height - Utilities::statusBarHeight(), false, false};
        }
        renderView->expand(record.width, record.height, textParameter(params, "url"));
    }
}

bool MRAIDAction::openInApp(const std::optional<AnyDictionary>& params) {
    const std::optional<std::string> url = textParameter(params, "url");
    if (!url || !ExternalURLOpener::isWebURL(*url)) {
        return false;
    }
    bool handled = false;
    onMainThread([&] {
        const auto window = platform::Application::shared().keyWindow();
        auto presenter = window ? window->rootViewController() : nullptr;
        while (presenter && presenter->presentedViewController()) {
            presenter = presenter->presentedViewController();
        }
        // Nothing to present from: the call opened nothing and the page hears so.
        if (!presenter) {
            return;
        }
        const auto browser = std::make_shared<QOSafariVC>(*platform::URL::parse(*url));
        browser->setModalPresentationStyle(platform::ViewController::ModalPresentationStyle::fullScreen);
        presenter->present(browser, true, nullptr);
        handled = true;
    });
    return handled;
}

bool MRAIDAction::openExternal(const std::optional<AnyDictionary>& params) {
    const std::optional<std::string> url = textParameter(params, "url");
    if (!url || !ExternalURLOpener::isOpenable(*url)) {
        return false;
    }
    bool handled = false;
    onMainThread([&] {
        if (!platform::Application::shared().canOpenURL(*platform::URL::parse(*url))) {
            return;
        }
        if (const auto renderView = renderView_.lock()) {
            renderView->userWillLeaveApplication();
        }
        ExternalURLOpener::open(*url, nullptr);
        handled = true;
    });
    return handled;
}

int MRAIDAction::orientationAngle(platform::InterfaceOrientation orientation) {
    switch (orientation) {
        case platform::InterfaceOrientation::portrait: return 0;
        case platform::InterfaceOrientation::portraitUpsideDown: return 180;
        case platform::InterfaceOrientation::landscapeRight: return 270;
        case platform::InterfaceOrientation::landscapeLeft: return 90;
        default: return -1;
    }
}

std::string MRAIDAction::initialStateScript() const {
    const auto renderView = renderView_.lock();
    const auto superView = renderView ? renderView->adSuperView() : nullptr;
    const auto window = renderView ? renderView->keyWindow() : nullptr;
    const platform::Rect defaultPosition = superView ? superView->frame() : platform::Rect{};
    const platform::Rect currentPosition = superView ? renderView->currentPosition() : platform::Rect{};
    const platform::Size maxSize = window ? window->frame().size : platform::Size{};
    using MRAIDJS::Properties;
    std::string script;
    script.reserve(512);
    for (const Properties& statement : {
             Properties::setStatus("default"),
             Properties::setPlacement(config_.type == AdsType::interstitial ? "interstitial" : "inline"),
             Properties::setOrientation(orientationAngle(platform::Application::shared().statusBarOrientation())),
             Properties::setScreenSize(platform::Screen::main().bounds().size),
             Properties::setDefaultPosition(defaultPosition),
             Properties::setCurrentPosition(currentPosition),
             Properties::setMaxSize(maxSize),
             Properties::setViewabale(false),
         }) {
        script += statement.javaScript();
    }
    return script;
}

void MRAIDAction::pushInitialState() const {
    performOnMainQueue([webView = std::weak_ptr<MWebview>(webView_), script = initialStateScript()] {
        if (const auto page = webView.lock()) {
            page->evaluateJS(script, nullptr);
        }
    });
}

void MRAIDAction::broadcastReady(MRAIDJS::Scheme scheme) const {
    MRAIDJS::Events::broadCastReadyState(scheme).evaluate(webView_);
    if (const auto renderView = renderView_.lock()) {
        renderView->setStatus(RenderViewStatus::ready);
    }
}

}  // namespace solen
