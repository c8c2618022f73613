#include "Ad/RenderEngine/OpenModes/LandingPageProcessor.h"

#include "Ad/RenderEngine/OpenModes/ExternalURLOpener.h"
#include "Commons/Trackers/TrackerManager.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/UI/Application.h"


namespace solen {

namespace {

bool parses(const std::optional<AssetOnClick>& click) { return click && platform::URL::parse(click->url).has_value(); }

}  // namespace

void LandingPageProcessor::open() {
    if (parses(config_.onClick)) {
        handle(*config_.onClick);
    } else if (parses(config_.fallbackOnClick)) {
        handle(*config_.fallbackOnClick);
    }
}

void LandingPageProcessor::handle(const AssetOnClick& click) {
    if (click.clickTrackers) {
        TrackerManager::shared()->fire(*click.clickTrackers);
    }
    if (click.openMode == OpenModeType::safariBrowser) {
        openExternalBrowser(click.url);
    } else {
        openInAppBrowser(click.url);
    }
}

void LandingPageProcessor::openInAppBrowser(const std::string& model) {
    if (!ExternalURLOpener::isWebURL(model)) {
        Logger::error("Invalid url or scheme for inApp browser. Trying to open in safari");
        openExternalBrowser(model);
        return;
    }
    const auto delegate = delegate_.lock();
    const auto presenter = delegate ? delegate->viewControllerForPresentation() : nullptr;
    if (!presenter) {
        Logger::error("ViewController not found for presentation");
        return;
    }
    const auto browser = std::make_shared<QOSafariVC>(*platform::URL::parse(model));
    browser->setSfDelegate(weak_from_this());
    browser->setModalPresentationStyle(platform::ViewController::ModalPresentationStyle::fullScreen);
    presenter->present(browser, true, nullptr);
}

void LandingPageProcessor::openExternalBrowser(const std::string& model) {
    if (!platform::URL::parse(model)) {
        Logger::error("Invalid url");
        return;
    }
    if (!ExternalURLOpener::isOpenable(model) || !platform::Application::shared().canOpenURL(*platform::URL::parse(model))) {
        return;
    }
    ExternalURLOpener::open(model, [](bool opened) {
        if (!opened) {
            Logger::error("Fail to open safari browser");
        }
    });
}

void LandingPageProcessor::browserWillPresent() {
    if (const auto delegate = delegate_.lock()) delegate->browserWillPresent();
}
void LandingPageProcessor::browserDidPresent() {
    if (const auto delegate = delegate_.lock()) delegate->browserDidPresent();
}
void LandingPageProcessor::browserWillDismiss() {
    if (const auto delegate = delegate_.lock()) delegate->browserWillDismiss();
}
void LandingPageProcessor::browserDidDismiss() {
    if (const auto delegate = delegate_.lock()) delegate->browserDidDismiss();
}

}  // namespace solen
