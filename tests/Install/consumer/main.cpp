// A host application: gives the device's facts, loads an adapter package by path when given one,
// initialises the SDK against the service named by SOLEN_SERVICE_BASE_URL, and passes the
// application through the background and back.
// Usage: solen-consumer DATA_FOLDER [ADAPTER_MODULE]. Exits with 0 when everything happened as a
// host expects.
#include <solen/Solen.h>
#include <solen/adapters/AdapterRegistration.h>
#include <solen/host/Device.h>
#include <solen/host/Lifecycle.h>
#include <solen/host/MainLoop.h>
#include <solen/ui/Label.h>
#include <solen/ui/Window.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

using namespace std::chrono_literals;
using solen::host::Lifecycle;
using solen::host::MainLoop;

namespace {

int fail(const char* what) {
    std::cout << "consumer: " << what << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        return fail("usage: solen-consumer DATA_FOLDER [ADAPTER_MODULE]");
    }
    if (argc == 3) {
        std::string error;
        if (!solen::loadAdapterModule(argv[2], &error)) {
            std::cout << "consumer: " << error << "\n";
            return fail("the adapter module did not load");
        }
    }
    // The SDK's information lines show which network adapters it found.
    solen::Solen::setLogLevel(solen::LogLevel::info);
    MainLoop::bindToCurrentThread();
    solen::host::Device::setDataFolder(argv[1]);
    solen::host::Device::setSystemVersion("17.0");
    solen::host::Device::setScreen({390, 844}, 3);
    Lifecycle::didFinishLaunching();

    // A window tree built from the public UI types.
    auto window = solen::platform::Window::create();
    auto label = solen::platform::Label::create({10, 10, 200, 20});
    label->setText("Solen consumer");
    window->addSubview(label);
    window->makeKeyAndVisible();

    auto finished = std::make_shared<std::atomic<int>>(-1);
    solen::Solen::initialize(solen::SolenSdkConfiguration("consumer-app", {}),
                             [finished](std::optional<solen::SolenSdkError> error) {
                                 if (error) std::cout << "consumer: " << error->localizedDescription() << "\n";
                                 *finished = error ? 1 : 0;
                                 MainLoop::post([] {});
                             });
    MainLoop::runUntil([finished] { return *finished >= 0; }, 20s);
    if (*finished != 0) {
        return fail("the SDK did not initialise");
    }

    // Long enough for the local service's short-lived signals document to expire, so that the
    // SDK fetches it again on the return.
    Lifecycle::didEnterBackground();
    MainLoop::runFor(1200ms);
    if (Lifecycle::state() != Lifecycle::State::background) {
        return fail("the application is not in the background");
    }
    Lifecycle::willEnterForeground();
    Lifecycle::didBecomeActive();
    MainLoop::runFor(500ms);
    if (Lifecycle::state() != Lifecycle::State::active || label->needsDisplay()) {
        return fail("the application did not come back");
    }
    std::cout << "consumer: initialised SDK " << solen::Solen::getSDKVersion() << ", lifecycle cycle passed\n";
    return 0;
}
