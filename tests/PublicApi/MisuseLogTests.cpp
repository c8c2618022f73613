// A host's mistakes as a host sees them: only <solen/...> headers, only libsolen.so, the console
// at LogLevel::error through the host's own sink. Every misuse a public header promises to log
// prints its line at that level, so a host that shows errors learns why nothing happened.
#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/adapters/AdapterRegistration.h>
#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/host/Console.h>
#include <solen/host/Device.h>
#include <solen/host/Lifecycle.h>
#include <solen/host/MainLoop.h>
#include <solen/ui/ViewController.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using solen::host::Device;
using solen::host::Lifecycle;
using solen::host::MainLoop;

class QuietBannerAdapter final : public solen::SolenBaseBannerAdapter {
public:
    void load(const solen::AdapterAdConfiguration&) override {}
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    std::shared_ptr<solen::platform::View> getAdView() override { return nullptr; }
};

// A host delegate whose callback fails.
class ThrowingBannerDelegate final : public solen::SolenBannerDelegate {
public:
    std::shared_ptr<solen::platform::ViewController> viewControllerForSolenBannerFullScreen() override {
        return nullptr;
    }
    void solenBannerDidFailToLoad(solen::SolenBanner&, const solen::platform::Error&) override {
        called = true;
        throw std::runtime_error("the delegate's own failure");
    }
    bool called = false;
};

// The lines the host's sink receives, at the public error level.
class ErrorConsole {
public:
    ErrorConsole() {
        solen::host::Console::setSink([this](std::string_view line) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.emplace_back(line);
        });
        solen::Solen::setLogLevel(solen::LogLevel::error);
    }
    ~ErrorConsole() {
        solen::Solen::setLogLevel(solen::LogLevel::none);
        solen::host::Console::setSink(nullptr);
    }
    std::vector<std::string> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(lines_, {});
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

void onAnotherThread(const std::function<void()>& call) { std::thread(call).join(); }

struct Misuse {
    const char* what;
    std::function<void()> act;
    const char* line;  // a part of the line the host must see
};

TEST(MisuseLogTests, EachDocumentedMisusePrintsItsLineAtTheErrorLevel) {
    char pattern[] = "/tmp/solen-misuse-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    std::ofstream(folder / "file") << "in the way";
    const auto banner = solen::SolenBanner::create("unit", {320, 50});
    ErrorConsole console;

    const std::vector<Misuse> misuses = {
        // include/solen/host/MainLoop.h
        {"an empty block posted", [] { MainLoop::post(nullptr); }, "An empty block cannot be posted"},
        {"a negative run time-out", [] { MainLoop::runUntil([] { return false; }, -1ms); }, "not negative"},
        {"a run call off the main thread", [] { onAnotherThread([] { MainLoop::runOnce(); }); },
         "can only run on the main thread"},
        // include/solen/host/Lifecycle.h (nothing has launched in this process)
        {"a report that does not fit the state", [] { Lifecycle::willEnterForeground(); },
         "Ignoring the lifecycle report willEnterForeground: the application is not launched"},
        {"a report off the main thread", [] { onAnotherThread([] { Lifecycle::didEnterBackground(); }); },
         "didEnterBackground was called off the main thread"},
        // include/solen/host/Device.h
        {"a malformed fact", [] { Device::setSystemVersion("17.x"); }, "Refused the system version \"17.x\""},
        {"a fact off the main thread", [] { onAnotherThread([] { Device::setModel("Tablet"); }); },
         "Device::setModel was called off the main thread"},
        {"a data folder that cannot be made", [folder] { Device::setDataFolder(folder / "file" / "data"); },
         "Refused the data folder"},
        // include/solen/adapters/AdapterRegistration.h
        {"an adapter class without a name",
         [] { solen::registerAdapterClass(solen::AdapterClass::of<QuietBannerAdapter>("")); },
         "without a name is not registered"},
        {"an adapter class of no protocol",
         [] {
             solen::AdapterClass nothing;
             nothing.name = "SolenNoneAdapter.NoneSDKAdapter";
             solen::registerAdapterClass(nothing);
         },
         "SolenNoneAdapter.NoneSDKAdapter conforms to no adapter protocol"},
        {"an adapter class registered twice",
         [] {
             const char* name = "SolenQuietAdapter.QuietBannerAdapter";
             solen::registerAdapterClass(solen::AdapterClass::of<QuietBannerAdapter>(name));
             solen::registerAdapterClass(solen::AdapterClass::of<QuietBannerAdapter>(name));
         },
         "SolenQuietAdapter.QuietBannerAdapter is already registered"},
        {"an adapter module that does not load", [folder] { solen::loadAdapterModule((folder / "none.so").string()); },
         "was not loaded"},
        // include/solen/Solen.h
        {"a log level outside the three", [] { solen::Solen::setLogLevel(static_cast<solen::LogLevel>(7)); },
         "Ignoring log level 7"},
        {"extras that are not JSON", [] { solen::Solen::setExtras({{"ratio", std::nan("")}}); },
         "Extras is not a valid JSONObject"},
        // include/solen/SolenBanner.h (and the other ad objects, which share the rule)
        {"an ad object's call off the main thread", [banner] { onAnotherThread([banner] { banner->load(); }); },
         "SolenBanner::load was called off the main thread"},
        // include/solen/ui/ViewController.h
        {"a presentation that cannot happen",
         [] { solen::platform::ViewController::create()->present(nullptr, false, nullptr); },
         "Attempt to present a missing view controller"},
        // An exception escaping the host's own code that the SDK runs.
        {"an exception escaping a posted block",
         [] {
             MainLoop::post([] { throw std::runtime_error("the host's own failure"); });
             MainLoop::runOnce();
         },
         "Uncaught exception in a block on queue \"main\": the host's own failure"},
        {"an exception escaping a delegate",
         [] {
             // Not initialised: the load fails (2005) through the delegate.
             const auto delegate = std::make_shared<ThrowingBannerDelegate>();
             const auto failing = solen::SolenBanner::create("unit", {320, 50}, delegate);
             failing->load();
             MainLoop::runUntil([&] { return delegate->called; }, 10s);
         },
         "the delegate's own failure"},
    };
    for (const auto& misuse : misuses) {
        SCOPED_TRACE(misuse.what);
        misuse.act();
        EXPECT_THAT(console.take(), ::testing::Contains(::testing::HasSubstr(misuse.line)));
        // What was moved to the main thread runs before the next case.
        MainLoop::runOnce();
        console.take();
    }
    solen::Solen::setLogLevel(solen::LogLevel::none);
    std::filesystem::remove_all(folder);
}

}  // namespace
